// The main window's actions, menus, tool bar and lists as they stand after creation.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include "app/about.h"
#include "app/main.h"
#include "controls/seek_track_bar.h"
#include "tests/app/game_folder.h"

namespace {

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    game_.WriteTable("0 opening,loop\r\n1 town\r\n");
    form_ = game_.NewForm();
  }

  static QStringList Captions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* action : menu->actions())
      captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
  }

  static QStringList HeaderCaptions(const QTreeWidget* list) {
    QStringList captions;
    for (int i = 0; i < list->columnCount(); ++i) captions << list->headerItem()->text(i);
    return captions;
  }

  TGameFolder game_;
  std::unique_ptr<TFormMain> form_;
};

TEST_F(MainWindowTest, ActionsHaveTheirCaptionsToolTipsShortcutsAndStates) {
  struct Expected {
    QAction* action;
    QString caption, toolTip, shortcut;
    bool enabled;
  };
  const TFormMain& f = *form_;
  const Expected expected[] = {
      {f.ActionApply, "適用(&A)", "適用", "", true},
      {f.ActionAutoJump, "自動でファイルにジャンプ(&A)", "自動でファイルにジャンプ", "", true},
      {f.ActionJumpToFile, "ファイルにジャンプ(&J)", "", "F4", false},
      {f.ActionNewConfig, "新規作成(&N)...", "", "", true},
      {f.ActionDeleteConfig, "削除(&D)", "", "", false},
      {f.ActionPlayMp3, "ファイルを再生(&P)", "", "", true},
      {f.ActionStopPlayer, "", "", "", false},
      {f.ActionSearchMp3Files, "mp3ファイルの検索(&S)...", "検索", "F3", true},
      {f.ActionUpdateTree, "ツリーを最新の情報に更新(&U)", "", "F5", true},
      {f.ActionSupportWebPage, "サポートホームページ(&W)", "", "", true},
      {f.ActionExit, "終了(&X)", "終了", "", true},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.caption.toStdString());
    EXPECT_EQ(e.action->text(), e.caption);
    if (!e.toolTip.isEmpty()) {
      EXPECT_EQ(e.action->toolTip(), e.toolTip);
    }
    EXPECT_EQ(e.action->shortcut(), QKeySequence(e.shortcut));
    EXPECT_EQ(e.action->isEnabled(), e.enabled);
  }
  EXPECT_TRUE(f.ActionAutoJump->isCheckable());
  EXPECT_FALSE(f.ActionAutoJump->isChecked());
}

TEST_F(MainWindowTest, SortActionsAreCategoryFilesTaggedInColumnOrder) {
  const QStringList captions = {"ファイル名でソート(&F)",     "曲名でソート(&N)",
                                "アーティスト名でソート(&A)", "ファイルサイズでソート(&S)",
                                "日付時刻でソート(&T)",       "ファイルパスでソート(&P)"};
  const std::vector<QAction*> actions = form_->FilesActions();
  ASSERT_EQ(actions.size(), 6u);
  for (int tag = 0; tag < 6; ++tag) {
    EXPECT_EQ(actions[tag]->text(), captions[tag]);
    EXPECT_EQ(actions[tag]->data().toInt(), tag);
    EXPECT_EQ(actions[tag]->property("category").toString(), "Files");
    // An empty file list has nothing to sort.
    EXPECT_FALSE(actions[tag]->isEnabled());
  }
}

TEST_F(MainWindowTest, MenusHoldTheirItemsInOrder) {
  const QList<QAction*> top = form_->menuBar()->actions();
  ASSERT_EQ(top.size(), 3);
  EXPECT_EQ(top[0]->text(), "設定(&F)");
  EXPECT_EQ(top[1]->text(), "表示(&V)");
  EXPECT_EQ(top[2]->text(), "ヘルプ(&H)");
  EXPECT_EQ(Captions(form_->MenuSettings),
            QStringList({"適用(&A)", "-", "新規作成(&N)...", "削除(&D)", "-", "終了(&X)"}));
  EXPECT_EQ(Captions(form_->MenuView),
            QStringList({"ファイルにジャンプ(&J)", "自動でファイルにジャンプ(&A)", "-",
                         "mp3ファイルの検索(&S)...", "ツリーを最新の情報に更新(&U)",
                         "ファイルリスト(&F)"}));
  EXPECT_EQ(Captions(form_->MenuFileList).size(), 6);
  EXPECT_EQ(Captions(form_->MenuHelp),
            QStringList({"サポートホームページ(&W)", "-", "バージョン情報(&A)..."}));
}

TEST_F(MainWindowTest, FileListSubmenuFollowsTheSortActionsWhenTheViewMenuOpens) {
  emit form_->MenuView->aboutToShow();
  EXPECT_FALSE(form_->MenuFileList->isEnabled());
  for (QAction* action : form_->FilesActions()) action->setEnabled(true);
  emit form_->MenuView->aboutToShow();
  EXPECT_TRUE(form_->MenuFileList->isEnabled());
}

TEST_F(MainWindowTest, ToolBarHoldsThePlayerControlsInOrder) {
  const QList<QAction*> actions = form_->ToolBarMain->actions();
  ASSERT_GE(actions.size(), 4);
  EXPECT_EQ(actions[0], form_->ActionApply);
  EXPECT_EQ(actions[1], form_->ActionAutoJump);
  EXPECT_EQ(actions[2], form_->ActionPlayMp3);
  EXPECT_EQ(actions[3], form_->ActionStopPlayer);
  EXPECT_EQ(form_->TrackBarPlayer->width(), 150);
  EXPECT_EQ(form_->PanelTime->width(), 48);
  // 2.5 inches, rounded.
  EXPECT_EQ(form_->PanelMp3FileInfo->width(), (form_->PixelsPerInch() * 5 + 1) / 2);
}

TEST_F(MainWindowTest, ListsHaveTheirColumnsAndViewModes) {
  EXPECT_EQ(HeaderCaptions(form_->ListViewConfig),
            QStringList({"場面", "ループ", "ファイル", "曲名", "アーティスト", "フルパス"}));
  EXPECT_EQ(form_->ListViewConfig->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_FALSE(form_->ListViewConfig->header()->sectionsClickable());
  EXPECT_EQ(HeaderCaptions(form_->ListViewFiles),
            QStringList({"ファイル名", "曲名", "アーティスト", "サイズ", "kBit", "Hz", "チャンネル",
                         "日付", "フォルダ", "演奏時間"}));
  EXPECT_EQ(form_->ListViewFiles->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_TRUE(form_->ListViewFiles->header()->sectionsClickable());
}

TEST_F(MainWindowTest, WindowHasItsCaptionAndMinimumTrackingSize) {
  EXPECT_EQ(form_->windowTitle(), "Korva [Samurai Empire]");
  const int ppi = form_->PixelsPerInch();
  EXPECT_EQ(form_->minimumWidth(), ppi * 450 / 100);
  EXPECT_EQ(form_->minimumHeight(), ppi * 300 / 100);
}

TEST_F(MainWindowTest, AboutBoxShowsNameAndVersionModally) {
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    shown = true;
    EXPECT_EQ(about->windowTitle(), "バージョン情報");
    EXPECT_EQ(about->LabelName->text(), "Korva");
    EXPECT_EQ(about->LabelVersion->text(), "ver 1.2");
    about->Button1->click();
  });
  form_->ActionAbout->trigger();
  EXPECT_TRUE(shown);
}

TEST_F(MainWindowTest, EnterInEitherListPlays) {
  int plays = 0;
  QObject::connect(form_->ActionPlayMp3, &QAction::triggered, [&] { ++plays; });
  for (QTreeWidget* list : {form_->ListViewFiles, form_->ListViewConfig}) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
  }
  EXPECT_EQ(plays, 2);
}

TEST_F(MainWindowTest, DeleteButtonFollowsItsAction) {
  EXPECT_FALSE(form_->ButtonDeleteConfig->isEnabled());
  form_->ActionDeleteConfig->setEnabled(true);
  EXPECT_TRUE(form_->ButtonDeleteConfig->isEnabled());
}

}  // namespace
