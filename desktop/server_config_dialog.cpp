#include "desktop/server_config_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/code_page.h"
#include "common/decimal_text.h"
#include "common/wide_string.h"
#include "desktop/credentials_box.h"
#include "desktop/gbk_text.h"
#include "desktop/named_edit.h"
#include "opcclient/opc_error_text.h"
#include "opcclient/remote_identity.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

constexpr char kShownOuttime[] = "120";

// The entries of the "Fault Deal With" list; a server's `solution` is an index into it.
constexpr const char* kFaultHandlingNames[] = {"NO DEAL WITH", "data no change,quality is bad",
                                               "date set zero,quality is bad"};

// The registry form of `guid`; none after the message "StringFromCLSID: " with the system's
// text when the conversion fails.
std::optional<std::string> GuidText(const GUID& guid, MessageBoxes& boxes) {
  LPOLESTR text = nullptr;
  const HRESULT hr = StringFromCLSID(guid, &text);
  if (FAILED(hr)) {
    boxes.Inform(FormatOpcError("StringFromCLSID: ", hr, nullptr), kHintCaption);
    return std::nullopt;
  }
  std::string result = WideToAnsi(WideStringView(text));
  CoTaskMemFree(text);
  return result;
}

// Whether the bridge presents c2 to c4: c1 read as a number is not 0.
bool UsesCredentials(const ServerSettings& settings) { return ParseDecimal(settings.c1) != 0; }

}  // namespace

ServerSettings NewServerSettings() {
  ServerSettings settings;
  settings.c2 = kDefaultServerUser;
  return settings;
}

ServerConfigDialog::ServerConfigDialog(ServerUnderEdit server,
                                       std::pair<std::string, std::string> proposal,
                                       ServerNameLookups lookups, MessageBoxes& boxes,
                                       QWidget* parent, ServerChooserLauncher chooser)
    : QDialog(parent),
      server_(server),
      lookups_(std::move(lookups)),
      boxes_(boxes),
      chooser_(std::move(chooser)),
      chosenCatid_(server.settings.catid) {
  setWindowTitle(QStringLiteral("OPC SERVER NODE"));
  isNew_ = server.name.empty();
  const ServerSettings& settings = server.settings;
  name_ = MakeNamedEdit(isNew_ ? proposal.first : server.name, "name");
  desc_ = MakeNamedEdit(isNew_ ? proposal.second : server.desc, "desc");
  node_ = MakeNamedEdit(settings.node, "node");
  sid_ = MakeNamedEdit(settings.sid, "sid");
  clsid_ = MakeNamedEdit(settings.clsid, "clsid");
  shownOuttime_ = settings.outtime.empty() ? kShownOuttime : settings.outtime;
  outtime_ = MakeNamedEdit(shownOuttime_, "outtime");
  solution_ = new QComboBox;
  solution_->setObjectName(QStringLiteral("solution"));
  for (const char* entry : kFaultHandlingNames) solution_->addItem(QString::fromLatin1(entry));
  const int solution = isNew_ ? 0 : settings.solution;
  // A value beyond the list shows no entry and stays unless one is chosen.
  shownSolution_ = solution >= 0 && solution < solution_->count() ? solution : -1;
  solution_->setCurrentIndex(shownSolution_);
  credentials_ = new CredentialsBox;
  credentials_->Show({UsesCredentials(settings), settings.c2, settings.c3, settings.c4});

  auto* select = new QPushButton(QStringLiteral("SEL SERVER"));
  select->setObjectName(QStringLiteral("select"));
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Name"), name_);
  fields->addRow(QStringLiteral("Desc"), desc_);
  fields->addRow(QStringLiteral("Node"), node_);
  fields->addRow(QStringLiteral("Server Id"), sid_);
  fields->addRow(QStringLiteral("CLSID"), clsid_);
  fields->addRow(QString(), select);
  fields->addRow(QStringLiteral("Fault Check(s)"), outtime_);
  fields->addRow(QStringLiteral("Fault Deal With"), solution_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(credentials_);
  layout->addWidget(buttons);
  setMinimumWidth(460);

  connect(select, &QPushButton::clicked, this, &ServerConfigDialog::SelectServer);
  connect(buttons, &QDialogButtonBox::accepted, this, &ServerConfigDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ServerConfigDialog::reject);
}

void ServerConfigDialog::StoreCredentials() {
  const CredentialsEntry entered = credentials_->Entered();
  ServerSettings& settings = server_.settings;
  if (isNew_ || entered.used != UsesCredentials(settings))
    settings.c1.assign(1, entered.used ? '1' : '0');
  settings.c2 = entered.user;
  settings.c3 = entered.password;
  settings.c4 = entered.domain;
}

void ServerConfigDialog::SelectServer() {
  StoreCredentials();
  const ServerSettings& settings = server_.settings;
  ServerChooserRequest start;
  start.host = ToGbk(node_->text());
  start.chosenProgId = ToGbk(sid_->text());
  start.category = ChooserCategoryFromText(chosenCatid_);
  start.remoteServer = true;
  if (UsesCredentials(settings)) {
    start.identity = IdentityFromText(settings.c2, settings.c4, settings.c3);
  }
  const std::optional<ChosenServer> chosen =
      chooser_ ? chooser_(start) : ChooseServer(start, boxes_, this);
  if (!chosen) return;
  const std::optional<std::string> clsid = GuidText(chosen->clsid, boxes_);
  const std::optional<std::string> catid = GuidText(chosen->category, boxes_);
  if (!clsid || !catid) return;
  node_->setText(FromGbk(chosen->host));
  sid_->setText(FromGbk(chosen->progId));
  clsid_->setText(FromGbk(*clsid));
  chosenCatid_ = *catid;
}

void ServerConfigDialog::accept() {
  const std::string name = TrimText(ToGbk(name_->text()));
  const std::string node = ToGbk(node_->text());
  const std::string sid = ToGbk(sid_->text());
  if (const auto failure = CheckServerFields(name, node, sid, lookups_)) {
    boxes_.Inform(*failure, kHintCaption);
    return;
  }
  server_.name = name;
  server_.desc = ToGbk(desc_->text());
  ServerSettings& settings = server_.settings;
  settings.sid = sid;
  settings.node = node;
  settings.clsid = ToGbk(clsid_->text());
  settings.catid = chosenCatid_;
  if (isNew_ || ToGbk(outtime_->text()) != shownOuttime_) {
    settings.outtime = ToGbk(outtime_->text());
  }
  if (isNew_ || solution_->currentIndex() != shownSolution_)
    settings.solution = solution_->currentIndex();
  StoreCredentials();
  QDialog::accept();
}

}  // namespace tavrel
