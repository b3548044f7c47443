// SPDX-License-Identifier: MIT
// The profiles dialog's lower half: where the selected profile is, the games
// linked to it, whether it is the default, what applying it would change on
// the open board; linking games and switching the agent.
#include <unistd.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "games/GameMatch.h"
#include "gui/MainWindow.h"
#include "gui/ProfilesDialog.h"
#include "notify/AgentState.h"

namespace torvex::gui {
namespace {

QString Quoted(const QString& name) {
  return "\"" + name + "\"";
}

QPushButton* ColumnButton(QVBoxLayout* column, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromLatin1(caption));
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  column->addWidget(b);
  return b;
}

QString LinksFile(const board::ProfileStore& store) {
  return games::LinksPath(store.directory());
}

}  // namespace

QString LinkText(const games::Link& link) {
  switch (link.rule) {
    case games::MatchRule::SteamAppId:
      return "Steam app " + link.key;
    case games::MatchRule::WindowsExe:
      return link.key + " (Windows, through Wine or Proton)";
    case games::MatchRule::NativeExe:
      break;
  }
  return link.key + " (native)";
}

std::optional<games::Link> TypedGame(const QString& typed) {
  const QString text = typed.trimmed();
  if (text.isEmpty() || text.contains(u'/') || text.contains(u'\\')) return std::nullopt;
  if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
    bool ok = false;
    const qulonglong id = text.toULongLong(&ok);
    if (!ok || id == 0 || id > 0xFFFFFFFFull) return std::nullopt;
    return games::Link{{}, games::MatchRule::SteamAppId, QString::number(id)};
  }
  return games::Link{{}, games::RuleForExecutable(text), text};
}

QWidget* ProfilesDialog::buildLinksPanel() {
  auto* panel = new QGroupBox("Selected profile");
  auto* top = new QVBoxLayout(panel);
  details_ = new QLabel;
  details_->setObjectName("profileDetails");
  details_->setWordWrap(true);
  details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  top->addWidget(details_);

  auto* row = new QHBoxLayout;
  linkList_ = new QListWidget;
  linkList_->setObjectName("linkList");
  row->addWidget(linkList_, 1);
  auto* column = new QVBoxLayout;
  linkButton_ = ColumnButton(column, "linkButton", "Link to Game...");
  unlinkButton_ = ColumnButton(column, "unlinkButton", "Unlink");
  defaultButton_ = ColumnButton(column, "defaultButton", "Make Default");
  column->addStretch(1);
  row->addLayout(column);
  top->addLayout(row, 1);

  differenceSummary_ = new QLabel;
  differenceSummary_->setObjectName("differenceSummary");
  differenceSummary_->setWordWrap(true);
  top->addWidget(differenceSummary_);
  differenceList_ = new QTreeWidget;
  differenceList_->setObjectName("differenceList");
  differenceList_->setHeaderLabels({"Setting", "Board", "Profile"});
  differenceList_->setRootIsDecorated(false);
  differenceList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  top->addWidget(differenceList_, 1);

  agentBox_ = new QCheckBox("Switch profiles when a linked game starts");
  agentBox_->setObjectName("agentBox");
  agentBox_->setChecked(notify::AgentRuns());
  top->addWidget(agentBox_);

  connect(linkList_, &QListWidget::currentRowChanged, this,
          [this](int row) { unlinkButton_->setEnabled(row >= 0); });
  connect(linkButton_, &QPushButton::clicked, this, [this] { onLinkClicked(); });
  connect(unlinkButton_, &QPushButton::clicked, this, [this] {
    const int row = linkList_->currentRow();
    const QString profile = selected();
    int seen = -1;
    for (const games::Link& l : links_.links)
      if (l.profile == profile && ++seen == row) return void(unlinkGame(l));
  });
  connect(defaultButton_, &QPushButton::clicked, this, [this] {
    setDefaultProfile(links_.defaultProfile == selected() ? QString() : selected());
  });
  connect(agentBox_, &QCheckBox::clicked, this, [this](bool on) { switchAgent(on); });
  return panel;
}

void ProfilesDialog::showSelected() {
  const QString name = selected();
  linkList_->clear();
  unlinkButton_->setEnabled(false);
  differenceList_->clear();
  const games::LinksRead links = games::ReadLinksFile(LinksFile(store_));
  links_ = links.links.value_or(games::Links{});
  defaultButton_->setText(!name.isEmpty() && links_.defaultProfile == name ? "No Default"
                                                                           : "Make Default");
  if (name.isEmpty()) {
    details_->clear();
    differenceSummary_->clear();
    return;
  }
  for (const games::Link& l : links_.links)
    if (l.profile == name) linkList_->addItem(LinkText(l));
  const board::ProfileRead read = store_.read(name);
  QStringList text{ShownDirectory(store_.pathOf(name))};
  if (read.profile && read.profile->origin.saved.isValid()) {
    const board::ProfileOrigin& o = read.profile->origin;
    const QString from = o.serial.isEmpty() ? QString() : " from board " + o.serial;
    text << "Saved " + o.saved.toString("yyyy-MM-dd HH:mm") + from +
                (o.product.isEmpty() ? "" : " (" + o.product + ")") + ".";
  }
  if (!links.links)
    text << links.problem;
  else
    text << (links_.defaultProfile == name
                 ? QStringLiteral("The default profile: applied when no linked game runs.")
                 : QStringLiteral("Not the default profile."));
  text << (linkList_->count() == 0 ? QStringLiteral("Linked to no game.")
                                   : QStringLiteral("Linked games:"));
  details_->setText(text.join('\n'));
  if (!read.profile)
    differenceSummary_->setText("Cannot be applied: " + read.problem);
  else
    showDifferences(*read.profile);
}

void ProfilesDialog::showDifferences(const board::Profile& profile) {
  board::Board& board = window_.board();
  if (!board.isLoaded()) return differenceSummary_->setText("No board open.");
  // The board's own read-back: the window's controls keep what they show.
  board::ReadBackResult now;
  if (const auto hold = board.holdWrites(); !hold.refused()) now = board.readBack();
  if (!now.complete())
    return differenceSummary_->setText("The board's settings could not be read.");
  const auto differ = board::Differences(now.settings, profile.settings);
  differenceSummary_->setText(differ.empty() ? "Applying changes nothing."
                                             : "Applying changes on the board:");
  for (board::SettingId id : differ)
    differenceList_->addTopLevelItem(new QTreeWidgetItem(QStringList{
        board::SettingName(id), board::ExactText(id, board::StoredValue(now.settings, id)),
        board::ExactText(id, board::StoredValue(profile.settings, id))}));
}

bool ProfilesDialog::changeLinks(const std::function<QString(games::Links&)>& change) {
  const QString path = LinksFile(store_);
  const games::LinksRead read = games::ReadLinksFile(path);
  if (!read.links) return report(read.problem + "\nNothing was changed.", {});
  games::Links links = *read.links;
  const QString told = change(links);
  const QString problem = links == *read.links ? QString() : games::WriteLinksFile(path, links);
  showSelected();
  return report(problem.isEmpty() ? QString() : "Cannot save the links: " + problem, told);
}

std::vector<games::Link> ProfilesDialog::runningGames() const {
  games::ProcessScanner scanner(procRoot_, static_cast<unsigned>(::getuid()));
  std::vector<games::Link> offers;
  for (const games::ProcessInfo& p : scanner.newProcesses()) {
    const games::Link l = games::OfferedLink(p);
    if (!l.key.isEmpty() && std::none_of(offers.begin(), offers.end(), [&](const games::Link& o) {
          return games::SameGame(o, l);
        }))
      offers.push_back(l);
  }
  std::stable_sort(offers.begin(), offers.end(),
                   [](const games::Link& a, const games::Link& b) { return a.rule < b.rule; });
  return offers;
}

bool ProfilesDialog::linkGame(const QString& profile, const games::Link& game) {
  return changeLinks([&](games::Links& links) {
    games::Link link = game;
    link.profile = profile;
    const QString before = games::LinkGame(links, link);
    const QString linked = "Linked " + LinkText(link) + " to " + Quoted(profile) + ".";
    if (before == profile) return LinkText(link) + " is linked to " + Quoted(profile) + " already.";
    return before.isEmpty() ? linked
                            : LinkText(link) + " was linked to " + Quoted(before) + ". " + linked;
  });
}

bool ProfilesDialog::unlinkGame(const games::Link& link) {
  return changeLinks([&](games::Links& links) {
    std::erase(links.links, link);
    return "Unlinked " + LinkText(link) + " from " + Quoted(link.profile) + ".";
  });
}

bool ProfilesDialog::setDefaultProfile(const QString& name) {
  return changeLinks([&](games::Links& links) {
    links.defaultProfile = name;
    return name.isEmpty() ? QStringLiteral("No default profile.")
                          : "Default profile: " + Quoted(name) + ".";
  });
}

bool ProfilesDialog::switchAgent(bool on) {
  const QString problem = on ? agent_.turnOn() : agent_.turnOff();
  const QSignalBlocker quiet(agentBox_);
  agentBox_->setChecked(problem.isEmpty() ? on : !on);
  return report(problem.isEmpty() ? QString() : "The agent was not switched: " + problem,
                on ? "Profiles now switch when a linked game starts, from now and at every login."
                   : "Profiles no longer switch when a linked game starts.");
}

void ProfilesDialog::onLinkClicked() {
  QDialog ask(this);
  ask.setWindowTitle("Link to Game");
  auto* top = new QVBoxLayout(&ask);
  top->addWidget(new QLabel("Running programs:"));
  auto* running = new QListWidget;
  const std::vector<games::Link> offers = runningGames();
  for (const games::Link& l : offers) running->addItem(LinkText(l));
  top->addWidget(running, 1);
  top->addWidget(new QLabel("Or type a Steam app ID or an executable's file name:"));
  auto* typed = new QLineEdit;
  typed->setPlaceholderText("805550 or AC2-Win64-Shipping.exe");
  top->addWidget(typed);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  top->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
  connect(running, &QListWidget::itemDoubleClicked, &ask, &QDialog::accept);
  ask.resize(420, 360);
  if (ask.exec() != QDialog::Accepted) return;
  if (!typed->text().trimmed().isEmpty()) {
    if (const auto game = TypedGame(typed->text())) return void(linkGame(selected(), *game));
    return void(
        report("Not linked: type a Steam app ID such as 805550 or an executable's file "
               "name such as AC2-Win64-Shipping.exe.",
               {}));
  }
  if (const int row = running->currentRow(); row >= 0) linkGame(selected(), offers[row]);
}

}  // namespace torvex::gui
