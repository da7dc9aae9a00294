// The Qt forms of the prompts and of the dispatcher.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <functional>
#include <thread>

#include "app/qt_dispatcher.h"
#include "app/qt_prompts.h"

namespace {

// Once the box is open, looks at it and then acts on it.
void WhenBoxOpens(std::function<void(QMessageBox&)> act) {
  QTimer::singleShot(0, [act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    act(*box);
  });
}

QStringList ButtonCaptions(QMessageBox& box) {
  QStringList captions;
  for (QAbstractButton* button : box.buttons()) captions << button->text();
  captions.sort();
  return captions;
}

TEST(QtPromptsTest, QuestionsShowTheirIconAndJapaneseButtons) {
  TQtPrompts prompts;
  WhenBoxOpens([](QMessageBox& box) {
    EXPECT_EQ(box.text(), "続けますか");
    EXPECT_EQ(box.icon(), QMessageBox::Question);
    EXPECT_EQ(ButtonCaptions(box), QStringList({"はい(&Y)", "キャンセル"}));
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(prompts.Ask("続けますか", TPromptIcon::pciConfirmation, TPromptButtons::pcbYesCancel),
            TPromptAnswer::pcaYes);

  WhenBoxOpens([](QMessageBox& box) {
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    box.button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(prompts.Ask("x を削除します", TPromptIcon::pciWarning, TPromptButtons::pcbOkCancel),
            TPromptAnswer::pcaOk);
}

TEST(QtPromptsTest, ClosingABoxAnswersCancelOrNoWithoutCancel) {
  TQtPrompts prompts;
  WhenBoxOpens([](QMessageBox& box) { box.reject(); });
  EXPECT_EQ(prompts.Ask("?", TPromptIcon::pciConfirmation, TPromptButtons::pcbOkCancel),
            TPromptAnswer::pcaCancel);
  WhenBoxOpens([](QMessageBox& box) { box.reject(); });
  EXPECT_EQ(prompts.Ask("?", TPromptIcon::pciConfirmation, TPromptButtons::pcbYesNo),
            TPromptAnswer::pcaNo);
}

TEST(QtPromptsTest, MessagesHaveNoIconAndTheArrowEvenWhileBusy) {
  TQtPrompts prompts;
  prompts.SetBusy(true);
  prompts.SetBusy(true);
  WhenBoxOpens([](QMessageBox& box) {
    EXPECT_EQ(box.text(), "a\nb");
    EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
    EXPECT_EQ(ButtonCaptions(box), QStringList({"OK"}));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    box.accept();
  });
  prompts.ShowMessage("a\nb");
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  prompts.SetBusy(false);
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  prompts.SetBusy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtDispatcherTest, WorkPostedFromAnotherThreadRunsInOrderOnTheUserInterfaceThread) {
  TQtDispatcher dispatcher;
  std::vector<int> order;
  bool allOnMainThread = true;
  QThread* mainThread = QThread::currentThread();
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      dispatcher.Post([&, i] {
        order.push_back(i);
        allOnMainThread = allOnMainThread && QThread::currentThread() == mainThread;
      });
    }
  });
  worker.join();
  EXPECT_TRUE(order.empty());  // nothing runs before the event loop does
  QElapsedTimer timer;
  timer.start();
  while (order.size() < 100 && timer.elapsed() < 5000) QApplication::processEvents();
  ASSERT_EQ(order.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
  EXPECT_TRUE(allOnMainThread);
}

}  // namespace
