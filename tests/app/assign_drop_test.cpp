// Assigning music by dragging files onto scenes, and refusing files that are not MPEG audio.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

#include "app/config/config_edit.h"
#include "tests/app/game_folder.h"

namespace {

const std::string kBrowseData = std::string(KORVA_TEST_DATA) + "/browse/";

class AssignDropTest : public testing::Test {
 protected:
  void SetUp() override {
    game_.WriteTable("0 a,loop\r\n1 b\r\n2 c\r\n3 d\r\n");
    game_.WriteGameFiles({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    QDir(QString::fromStdString(game_.Path(""))).mkpath("music");
    for (const char* name : {"alpha.mp3", "gamma.mp3", "no_sync.mp3", "late_sync.mp3"})
      TGameFolder::WriteFile(Music(name), TGameFolder::ReadFile(kBrowseData + name));
    TGameFolder::WriteFile(Music("empty.mp3"), "");
    TGameFolder::WriteFile(Music("noise.mp3"), std::string("\xFF\xFB\x12\x34 random bytes", 17));
    TGameFolder::WriteFile(Music("notes.txt"), "text");
    form_ = game_.NewForm();
    form_->resize(800, 600);
    form_->show();
    RunNewConfig(*form_, "mine");
  }

  std::string Music(const std::string& name) const { return game_.Path("music/") + name; }

  static std::unique_ptr<QMimeData> UriList(const std::vector<std::string>& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data->setUrls(urls);
    return data;
  }

  QPoint RowPoint(int row) const {
    return form_->ListViewConfig->visualItemRect(form_->ListViewConfig->topLevelItem(row)).center();
  }

  // Drags the data over the point of the scene list and drops it; true when the list took it.
  bool Drop(const QMimeData& data, QPoint point) {
    QWidget* target = form_->ListViewConfig->viewport();
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted()) return false;
    EXPECT_EQ(move.dropAction(), Qt::CopyAction) << "a file manager must not move the file";
    QDropEvent drop(QPointF(point), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QApplication::processEvents();  // the files are assigned once the drop is over
    return drop.isAccepted();
  }

  std::string RowFile(int row) const { return form_->ConfigRowItem(row)->FileName; }
  bool RowIsBlue(int row) const {
    return form_->ListViewConfig->topLevelItem(row)->foreground(2).color() == QColor(0, 0, 255);
  }

  TGameFolder game_;
  std::unique_ptr<TFormMain> form_;
};

TEST_F(AssignDropTest, AFileDraggedFromTheListIsAssignedAndCanBeRestored) {
  form_->FileList->FillFileList(game_.Path("music"));
  const QList<QTreeWidgetItem*> rows =
      form_->ListViewFiles->findItems("alpha.mp3", Qt::MatchExactly, 0);
  ASSERT_EQ(rows.size(), 1);
  const QModelIndex index = form_->ListViewFiles->indexFromItem(rows.front());
  const std::unique_ptr<QMimeData> data(form_->ListViewFiles->model()->mimeData({index}));
  ASSERT_EQ(data->urls().size(), 1);

  ASSERT_TRUE(Drop(*data, RowPoint(1)));
  EXPECT_EQ(RowFile(1), Music("alpha.mp3"));
  EXPECT_TRUE(RowIsBlue(1));
  EXPECT_TRUE(game_.Prompts.Messages.empty());
  EXPECT_EQ(form_->ListViewFiles->topLevelItemCount(), 6) << "the dragged row stays in the list";

  form_->ListViewConfig->clearSelection();
  form_->ListViewConfig->topLevelItem(1)->setSelected(true);
  form_->ConfigView->MenuItemRestoreDefault->trigger();
  EXPECT_EQ(RowFile(1), game_.Music("b.mp3"));
  EXPECT_FALSE(RowIsBlue(1));
}

TEST_F(AssignDropTest, FilesFromAFileManagerFillTheScenesFromTheDropOn) {
  // A text file among them is left out; the scenes keep their loop flags.
  ASSERT_TRUE(
      Drop(*UriList({Music("alpha.mp3"), Music("notes.txt"), Music("gamma.mp3")}), RowPoint(2)));
  EXPECT_EQ(RowFile(1), game_.Music("b.mp3"));
  EXPECT_EQ(RowFile(2), Music("alpha.mp3"));
  EXPECT_EQ(RowFile(3), Music("gamma.mp3"));
  EXPECT_EQ(form_->UserConfig.Count(), 2);

  // One file dropped on a selected scene goes to every selected scene, as the action does.
  form_->ListViewConfig->clearSelection();
  for (int row : {0, 1}) form_->ListViewConfig->topLevelItem(row)->setSelected(true);
  ASSERT_TRUE(Drop(*UriList({Music("gamma.mp3")}), RowPoint(1)));
  EXPECT_EQ(RowFile(0), Music("gamma.mp3"));
  EXPECT_TRUE(form_->ConfigRowItem(0)->Loop);
  EXPECT_EQ(RowFile(1), Music("gamma.mp3"));
}

TEST_F(AssignDropTest, WhatIsNoMp3FileOrFallsOnNoSceneIsNotTaken) {
  EXPECT_FALSE(Drop(*UriList({Music("notes.txt")}), RowPoint(1)));
  EXPECT_FALSE(Drop(*UriList({Music("missing.mp3")}), RowPoint(1)));
  QMimeData text;
  text.setText(QString::fromStdString(Music("alpha.mp3")));
  EXPECT_FALSE(Drop(text, RowPoint(1)));
  const QRect rows = form_->ListViewConfig->visualItemRect(form_->ListViewConfig->topLevelItem(3));
  EXPECT_FALSE(Drop(*UriList({Music("alpha.mp3")}), rows.bottomLeft() + QPoint(5, 40)));
  form_->SelectConfig(0);  // "<標準>" cannot be edited
  EXPECT_FALSE(Drop(*UriList({Music("alpha.mp3")}), RowPoint(1)));
  EXPECT_EQ(form_->UserConfig.Count(), 0);
  EXPECT_TRUE(game_.Prompts.Messages.empty());
}

// What the game could not play is refused where the person chooses it, not copied by Apply.
TEST_F(AssignDropTest, FilesThatAreNotMpegAudioAreRefusedByName) {
  for (const char* name : {"empty.mp3", "noise.mp3", "no_sync.mp3", "late_sync.mp3"}) {
    game_.Prompts.Messages.clear();
    ASSERT_TRUE(Drop(*UriList({Music(name)}), RowPoint(1))) << name;
    ASSERT_EQ(game_.Prompts.Messages.size(), 1u) << name;
    EXPECT_EQ(game_.Prompts.Messages.front(), Music(name) + kMsgNotMpegAudio);
  }
  auto* row = new QTreeWidgetItem(form_->ListViewFiles);
  row->setText(0, "noise.mp3");
  row->setText(8, QString::fromStdString(game_.Path("music")));
  form_->ListViewFiles->setCurrentItem(row);
  form_->ListViewConfig->topLevelItem(2)->setSelected(true);
  form_->AssignSelectedFile();
  EXPECT_EQ(game_.Prompts.Messages.size(), 2u);
  EXPECT_EQ(form_->UserConfig.Count(), 0);
}

}  // namespace
