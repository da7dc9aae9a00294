// Measures how alive the window stays while the file list fills from a long search: the time
// the whole search takes and the longest gap between two repaints of the list or the status
// bar. Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/config/korva_config.h"
#include "app/file_list_view.h"
#include "controls/folder_tree_view.h"
#include "mp3player/compo/info/mp3_info.h"
#include "platform/files.h"

namespace {

// Notes the time of every repaint of the widgets it watches.
class TPaintClock : public QObject {
 public:
  explicit TPaintClock(const QElapsedTimer& clock) : clock_(clock) {}
  qint64 paints = 0;
  qint64 longest_gap = 0;
  qint64 last = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const qint64 now = clock_.elapsed();
      if (now - last > longest_gap) longest_gap = now - last;
      last = now;
      ++paints;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const QElapsedTimer& clock_;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const bool fill = argc == 3 && std::string(argv[1]) == "--fill";
  if (argc != 2 && !fill) {
    std::fprintf(stderr, "usage: search-bench [--fill] FOLDER\n");
    return 2;
  }
  const std::string folder = argv[argc - 1];
  if (!DirectoryExists(folder)) {
    std::fprintf(stderr, "search-bench: %s is not a folder\n", folder.c_str());
    return 2;
  }

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* list = new QTreeWidget(&window);
  // As the window's file list is set up.
  list->setColumnCount(9);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  auto* status = new QLabel(&window);
  layout->addWidget(list);
  layout->addWidget(status);
  window.resize(800, 600);
  window.show();
  TFolderTreeView tree;
  std::vector<std::unique_ptr<QAction>> actions;
  TFileListContext context;
  for (int i = 0; i < 9; ++i) actions.push_back(std::make_unique<QAction>());
  for (int i = 0; i < 6; ++i) context.SortActions.push_back(actions[i].get());
  context.ActionPlayMp3 = actions[6].get();
  context.ActionUpdateTree = actions[7].get();
  context.ActionSearchMp3Files = actions[8].get();
  const std::string music_folder;
  TKorvaConfig defaults;
  TMP3Info tags;
  context.List = list;
  context.Tree = &tree;
  context.StatusPanel = status;
  context.MusicFolder = &music_folder;
  context.DefaultConfig = &defaults;
  context.Tags = &tags;
  TFileListView files(context);
  QApplication::processEvents();

  QElapsedTimer clock;
  TPaintClock paints(clock);
  list->viewport()->installEventFilter(&paints);
  status->installEventFilter(&paints);
  clock.start();
  if (fill) {
    files.FillFileList(folder);
  } else {
    files.ListFolderTree(folder);
  }
  const qint64 ms = clock.elapsed();
  const qint64 tail = ms - paints.last;
  std::printf("files=%d ms=%lld paints=%lld max_gap_ms=%lld\n", list->topLevelItemCount(),
              static_cast<long long>(ms), static_cast<long long>(paints.paints),
              static_cast<long long>(std::max(paints.longest_gap, tail)));
  return 0;
}
