// The new-configuration dialog: its contents and the order of its checks.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/newconfig.h"
#include "tests/app/config/fake_prompts.h"

namespace {

class NewConfigTest : public testing::Test {
 protected:
  // Types the name and presses OK; returns whether the dialog closed with OK.
  bool Submit(const QString& name) {
    dialog_.EditName->setText(name);
    dialog_.ButtonOk->click();
    return dialog_.result() == QDialog::Accepted;
  }

  QTemporaryDir folder_;
  TFakePrompts prompts_;
  TFormNewConfig dialog_{{"<標準>", "Rock", "a=b"}, folder_.path().toStdString() + "/", prompts_};
};

TEST_F(NewConfigTest, ListsTheEntriesWithTheDefaultPreselected) {
  EXPECT_EQ(dialog_.windowTitle(), "設定の新規作成");
  EXPECT_EQ(dialog_.Label1->text(), "作成する設定名(&N):");
  EXPECT_EQ(dialog_.Label2->text(), "元にする設定(&S):");
  EXPECT_EQ(dialog_.ButtonCancel->text(), "キャンセル");
  EXPECT_TRUE(dialog_.ButtonOk->isDefault());
  ASSERT_EQ(dialog_.ListBoxConfigs->count(), 3);
  EXPECT_EQ(dialog_.ListBoxConfigs->item(0)->text(), "<標準>");
  EXPECT_EQ(dialog_.SourceIndex(), 0);
}

TEST_F(NewConfigTest, ChecksCharactersFirstThenTakenNamesThenEmptiness) {
  // Taken and invalid at once: the character message wins.
  EXPECT_FALSE(Submit("a=b"));
  EXPECT_FALSE(Submit("ROCK"));
  EXPECT_FALSE(Submit(""));
  EXPECT_EQ(prompts_.Messages,
            (std::vector<std::string>{"設定名に \\/:;*?\"<>|= は使えません",
                                      "すでに使われている名前です", "名前が入力されていません"}));
  EXPECT_TRUE(prompts_.Questions.empty());
}

TEST_F(NewConfigTest, RejectsEveryForbiddenCharacter) {
  for (const char* name :
       {"a\\b", "a/b", "a:b", "a;b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a=b"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Submit(QString::fromUtf8(name)));
  }
  EXPECT_EQ(prompts_.Messages.size(), 11u);
}

TEST_F(NewConfigTest, AcceptsANewNameAsTypedWithItsSource) {
  dialog_.ListBoxConfigs->setCurrentRow(1);
  EXPECT_TRUE(Submit(" 夏の曲 "));
  EXPECT_TRUE(prompts_.Messages.empty());
  EXPECT_EQ(dialog_.NewName(), " 夏の曲 ");
  EXPECT_EQ(dialog_.SourceIndex(), 1);
}

TEST_F(NewConfigTest, ANameWhosePlaylistFileExistsIsTakenEvenIfNotListed) {
  // Another program's playlist, not a configuration, must not be overwritten.
  QFile other(folder_.filePath("party.m3u"));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("#EXTM3U\r\nsong.mp3\r\n");
  other.close();
  EXPECT_FALSE(Submit("party"));
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{"すでに使われている名前です"});
}

TEST_F(NewConfigTest, CancelClosesWithoutChecking) {
  dialog_.EditName->setText("a=b");
  dialog_.ButtonCancel->click();
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
  EXPECT_TRUE(prompts_.Messages.empty());
}

}  // namespace
