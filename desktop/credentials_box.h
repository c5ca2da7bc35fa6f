// CredentialsBox: the form of the identity a server on another computer is reached with, as the
// server configuration dialog and the maker's scan dialog show it.
//
// A frame with the check box "使用指定用户名、密码、域(仅在远程访问时使用)" (named "credentials")
// and the edits "User：", "Key：" (shown as a password) and "Domain：" (named "user", "key",
// "domain"). The three edits are enabled exactly while the box is ticked. Text is GBK on both
// sides of Show and Entered.
#pragma once

#include <QGroupBox>
#include <string>

class QCheckBox;
class QLineEdit;

namespace tavrel {

// The user name proposed for remote access where none is stored yet: a new server's, and a
// saved server list's without one.
inline constexpr char kDefaultServerUser[] = "Administrator";

struct CredentialsEntry {
  bool used = false;
  std::string user;
  std::string password;
  std::string domain;
};

class CredentialsBox : public QGroupBox {
 public:
  explicit CredentialsBox(QWidget* parent = nullptr);

  void Show(const CredentialsEntry& entry);
  CredentialsEntry Entered() const;

 private:
  void EnableEdits(bool enabled);

  QCheckBox* used_;
  QLineEdit* user_;
  QLineEdit* key_;
  QLineEdit* domain_;
};

}  // namespace tavrel
