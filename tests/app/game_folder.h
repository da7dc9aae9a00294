#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/main.h"
#include "app/newconfig.h"
#include "platform/files.h"
#include "tests/app/config/fake_prompts.h"

// A scratch install of the game (a music folder with Config.txt, and Config.org unless told
// otherwise) and a program folder, with a main window on them.
class TGameFolder {
 public:
  TGameFolder() {
    QDir(root_.path()).mkpath("prog");
    QDir(root_.path()).mkpath("game/Music/Digital");
  }

  // Paths in the platform's own form, as the program builds and compares them.
  std::string Path(const char* relative) const {
    return QDir::toNativeSeparators(root_.filePath(QString::fromUtf8(relative))).toStdString();
  }
  std::string ProgramFolder() const { return Path("prog/"); }
  std::string MusicFolder() const { return Path("game/Music/Digital"); }
  std::string Music(const std::string& name) const { return JoinPath(MusicFolder(), name); }

  static void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The game's table in Config.txt and, with backup, the same in Config.org; every named file is
  // created in the music folder.
  void WriteTable(const std::string& table, bool backup = true) {
    WriteFile(Music("Config.txt"), table);
    if (backup) WriteFile(Music("Config.org"), table);
  }
  void WriteGameFiles(std::initializer_list<const char*> names) {
    for (const char* name : names) WriteFile(Music(name), std::string("game ") + name);
  }

  std::unique_ptr<TFormMain> NewForm() {
    return std::make_unique<TFormMain>(TFormMainSetup{
        ProgramFolder(), Path("prog/korva.ini"), Path("prog/korva.dat"), MusicFolder(), &Prompts});
  }

  TFakePrompts Prompts;

 private:
  QTemporaryDir root_;
};

// Runs "新規作成(&N)..." and answers its dialog with the name and the source entry.
inline void RunNewConfig(TFormMain& form, const QString& name, int source = 0) {
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TFormNewConfig*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->EditName->setText(name);
    dialog->ListBoxConfigs->setCurrentRow(source);
    dialog->ButtonOk->click();
  });
  form.ActionNewConfig->trigger();
}
