#include "maker/ui/match_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "desktop/gbk_text.h"
#include "maker/online/online_browser.h"
#include "maker/online/tag_match.h"
#include "maker/project/project_nodes.h"
#include "maker/ui/chunked_work.h"

namespace tavrel {

MatchDialog::MatchDialog(const ServerLink& link, GroupNode& group, MessageBoxes& boxes,
                         QWidget* parent)
    : QDialog(parent),
      link_(link),
      group_(group),
      boxes_(boxes),
      begin_(new QPushButton(QStringLiteral("Begin Match"))),
      status_(new QLabel) {
  setWindowTitle(QStringLiteral("Auto Match Tag Attribute"));
  auto* total = new QLineEdit(QString::number(group.tags.size()));
  total->setReadOnly(true);
  total->setObjectName(QStringLiteral("total"));
  begin_->setObjectName(QStringLiteral("begin"));
  status_->setObjectName(QStringLiteral("status"));
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  auto* layout = new QFormLayout(this);
  layout->addRow(FromGbk("Total Tag："), total);
  layout->addRow(begin_);
  layout->addRow(status_);
  layout->addRow(close);
  setMinimumWidth(320);
  connect(begin_, &QPushButton::clicked, this, &MatchDialog::BeginMatch);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  begin_->setEnabled(OnlineBrowser(link).Organization().has_value());
}

void MatchDialog::BeginMatch() {
  std::string errors;
  std::size_t done = 0;
  const std::size_t total = group_.tags.size();
  const bool finished = RunInChunks(this, QStringLiteral("Matching tag attributes..."), total, [&] {
    const std::size_t end = std::min(total, done + kMatchChunk);
    MatchTagRange(link_.Items(), group_.tags, done, end, errors);
    done = end;
    return done;
  });
  if (!finished) {
    status_->setText(QStringLiteral("Match cancelled after %1 of %2 tags").arg(done).arg(total));
    return;
  }
  if (errors.empty()) {
    boxes_.Inform(MatchResultText(errors), kHintCaption);
  } else {
    // Thousands of ids would make a message box taller than any screen: a list instead.
    std::vector<std::string> ids;
    for (std::size_t start = 0, end; (end = errors.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      ids.push_back(errors.substr(start, end - start));
    }
    boxes_.InformLines(kMatchErrorHeading, ids, kHintCaption);
  }
  accept();
}

}  // namespace tavrel
