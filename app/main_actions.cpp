// The main window's actions and menus: captions, tool tips, shortcuts, initial states, and the
// commands that belong to the window itself.
#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QUrl>

#include "app/about.h"
#include "app/main.h"

namespace {

// Where the support web page lives.
constexpr const char* kSupportWebPage = "https://www.example.com/korva/";

struct TActionDesc {
  const char* Name;
  const char* Caption;
  const char* ToolTip;
  const char* Shortcut;
  QStyle::StandardPixmap Icon;
  bool HasIcon;
};

QAction* MakeAction(QObject* owner, QStyle* style, const TActionDesc& desc) {
  auto* action = new QAction(QString::fromUtf8(desc.Caption), owner);
  action->setObjectName(QString::fromUtf8(desc.Name));
  // An empty tool tip would make Qt show the caption instead; the designed tool tip is blank.
  action->setToolTip(QString::fromUtf8(desc.ToolTip));
  if (desc.Shortcut[0] != '\0') action->setShortcut(QKeySequence(QString::fromUtf8(desc.Shortcut)));
  if (desc.HasIcon) action->setIcon(style->standardIcon(desc.Icon));
  return action;
}

}  // namespace

void TFormMain::CreateActions() {
  QStyle* s = style();
  const auto make = [&](const TActionDesc& desc) { return MakeAction(this, s, desc); };
  ActionApply = make({"ActionApply", "適用(&A)", "適用", "", QStyle::SP_DialogApplyButton, true});
  ActionAutoJump = make({"ActionAutoJump", "自動でファイルにジャンプ(&A)",
                         "自動でファイルにジャンプ", "", QStyle::SP_ArrowForward, true});
  ActionAutoJump->setCheckable(true);
  ActionJumpToFile =
      make({"ActionJumpToFile", "ファイルにジャンプ(&J)", "", "F4", QStyle::SP_CustomBase, false});
  ActionJumpToFile->setEnabled(false);
  ActionNewConfig =
      make({"ActionNewConfig", "新規作成(&N)...", "", "", QStyle::SP_CustomBase, false});
  ActionDeleteConfig =
      make({"ActionDeleteConfig", "削除(&D)", "", "", QStyle::SP_CustomBase, false});
  ActionDeleteConfig->setEnabled(false);
  ActionPlayMp3 = make({"ActionPlayMp3", "ファイルを再生(&P)", "", "", QStyle::SP_MediaPlay, true});
  ActionStopPlayer = make({"ActionStopPlayer", "", "", "", QStyle::SP_MediaStop, true});
  ActionStopPlayer->setEnabled(false);
  ActionSearchMp3Files = make({"ActionSearchMp3Files", "mp3ファイルの検索(&S)...", "検索", "F3",
                               QStyle::SP_FileDialogContentsView, true});
  ActionUpdateTree = make({"ActionUpdateTree", "ツリーを最新の情報に更新(&U)", "", "F5",
                           QStyle::SP_BrowserReload, false});
  ActionSupportWebPage = make(
      {"ActionSupportWebPage", "サポートホームページ(&W)", "", "", QStyle::SP_DriveNetIcon, true});
  ActionExit = make({"ActionExit", "終了(&X)", "終了", "", QStyle::SP_DialogCloseButton, true});
  ActionAbout =
      make({"ActionAbout", "バージョン情報(&A)...", "", "", QStyle::SP_CustomBase, false});

  const TActionDesc sorts[] = {
      {"ActionFilesSortByName", "ファイル名でソート(&F)", "", "", QStyle::SP_CustomBase, false},
      {"ActionFilesSortByTrackName", "曲名でソート(&N)", "", "", QStyle::SP_CustomBase, false},
      {"ActionFilesSortByArtistName", "アーティスト名でソート(&A)", "", "", QStyle::SP_CustomBase,
       false},
      {"ActionFilesSortBySize", "ファイルサイズでソート(&S)", "", "", QStyle::SP_CustomBase, false},
      {"ActionFilesSortByTime", "日付時刻でソート(&T)", "", "", QStyle::SP_CustomBase, false},
      {"ActionFilesSortByPath", "ファイルパスでソート(&P)", "", "", QStyle::SP_CustomBase, false}};
  QAction** targets[] = {&ActionFilesSortByName,       &ActionFilesSortByTrackName,
                         &ActionFilesSortByArtistName, &ActionFilesSortBySize,
                         &ActionFilesSortByTime,       &ActionFilesSortByPath};
  for (int tag = 0; tag < 6; ++tag) {
    QAction* action = make(sorts[tag]);
    action->setProperty("category", QStringLiteral("Files"));
    action->setData(tag);
    *targets[tag] = action;
  }

  connect(ActionAutoJump, &QAction::toggled, this, [this](bool checked) {
    if (checked) ActionJumpToFile->trigger();
  });
  connect(ActionExit, &QAction::triggered, this, &QWidget::close);
  connect(ActionAbout, &QAction::triggered, this, &TFormMain::ActionAboutExecute);
  connect(ActionApply, &QAction::triggered, this, &TFormMain::ActionApplyExecute);
  connect(ActionNewConfig, &QAction::triggered, this, &TFormMain::ActionNewConfigExecute);
  connect(ActionDeleteConfig, &QAction::triggered, this, &TFormMain::ActionDeleteConfigExecute);
  connect(ActionSupportWebPage, &QAction::triggered, this, &TFormMain::ActionSupportWebPageExecute);
}

std::vector<QAction*> TFormMain::FilesActions() const {
  return {ActionFilesSortByName, ActionFilesSortByTrackName, ActionFilesSortByArtistName,
          ActionFilesSortBySize, ActionFilesSortByTime,      ActionFilesSortByPath};
}

void TFormMain::CreateMenus() {
  MenuSettings = menuBar()->addMenu(QStringLiteral("設定(&F)"));
  MenuSettings->addAction(ActionApply);
  MenuSettings->addSeparator();
  MenuSettings->addAction(ActionNewConfig);
  MenuSettings->addAction(ActionDeleteConfig);
  MenuSettings->addSeparator();
  MenuSettings->addAction(ActionExit);

  MenuView = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  MenuView->addAction(ActionJumpToFile);
  MenuView->addAction(ActionAutoJump);
  MenuView->addSeparator();
  MenuView->addAction(ActionSearchMp3Files);
  MenuView->addAction(ActionUpdateTree);
  MenuFileList = MenuView->addMenu(QStringLiteral("ファイルリスト(&F)"));
  for (QAction* action : FilesActions()) MenuFileList->addAction(action);
  connect(MenuView, &QMenu::aboutToShow, this, &TFormMain::MenuViewAboutToShow);

  MenuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  MenuHelp->addAction(ActionSupportWebPage);
  MenuHelp->addSeparator();
  MenuHelp->addAction(ActionAbout);
}

// The file list submenu is usable only while every sort action is.
void TFormMain::MenuViewAboutToShow() {
  bool allEnabled = true;
  for (QAction* action : FilesActions()) allEnabled = allEnabled && action->isEnabled();
  MenuFileList->setEnabled(allEnabled);
}

// Escape closes the box as its OK button does.
void TFormMain::ActionAboutExecute() {
  TFormAbout about(this);
  about.exec();
}

void TFormMain::ActionSupportWebPageExecute() {
  QDesktopServices::openUrl(QUrl(QString::fromUtf8(kSupportWebPage)));
}
