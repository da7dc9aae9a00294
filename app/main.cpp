// The main window's creation, settings and closing.
#include "app/main.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QTreeWidget>
#include <cmath>

#include "app/config/startup.h"
#include "app/file_row.h"
#include "controls/folder_tree_view.h"

namespace {

constexpr int kDesignedLeft = 308;
constexpr int kDesignedTop = 132;
constexpr int kDesignedWidth = 640;
constexpr int kDesignedHeight = 480;

TKorvaRect ToKorvaRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect ToQRect(const TKorvaRect& rect) {
  return QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
}

// The screen that holds the middle of the bounds, else the primary one.
const QScreen* ScreenOf(const TKorvaRect& rect) {
  const auto middle = [](int32_t a, int32_t b) {
    return static_cast<int>((int64_t{a} + b) / 2);  // without overflow, and within int32
  };
  const QPoint center(middle(rect.Left, rect.Right), middle(rect.Top, rect.Bottom));
  if (const QScreen* screen = QGuiApplication::screenAt(center)) return screen;
  return QGuiApplication::primaryScreen();
}

}  // namespace

TFormMain::TFormMain(TFormMainSetup setup, QWidget* parent)
    : QMainWindow(parent), setup_(std::move(setup)) {
  setObjectName("FormMain");
  setWindowTitle(QStringLiteral("Korva [Samurai Empire]"));
  ApplyFont();
  pixelsPerInch_ = logicalDpiY() > 0 ? logicalDpiY() : 96;
  setGeometry(kDesignedLeft, kDesignedTop, kDesignedWidth, kDesignedHeight);
  setMinimumSize(pixelsPerInch_ * 450 / 100, pixelsPerInch_ * 300 / 100);

  CreateActions();
  CreateMenus();
  CreateLayout();
  CreateFileListView();
  CreateConfigView();
  CreatePlayer();

  SceneNames = ReadSceneNames(SceneNamesFileName());
  if (!PrepareGameConfigs(MusicFolder(), DefaultConfig, Prompts())) terminationRequested_ = true;
  LoadSettings();
  ApplySettings();
}

TFormMain::~TFormMain() { DestroyPlayer(); }

std::string TFormMain::PlaylistFolder() const { return setup_.PlaylistFolder; }

std::string TFormMain::IniFileName() const { return setup_.IniFileName; }

std::string TFormMain::SceneNamesFileName() const { return setup_.SceneLabelFileName; }

void TFormMain::LoadSettings() {
  korva_ = DefaultSettings(ToKorvaRect(geometry()), pixelsPerInch_);
  RaiseDefaultWidths();
  const TKorvaRect designed = korva_.WindowRect;
  ::LoadSettings(korva_, IniFileName());
  firstStart_ = korva_.WindowRect == designed;
}

void TFormMain::ApplySettings() {
  // Bounds from an ini file of another screen, or edited by hand, must not put the window where
  // nobody can see or reach it.
  if (const QScreen* screen = ScreenOf(korva_.WindowRect)) {
    korva_.WindowRect = FitOnScreen(korva_.WindowRect, ToKorvaRect(screen->availableGeometry()),
                                    minimumWidth(), minimumHeight());
  }
  setGeometry(ToQRect(korva_.WindowRect));
  if (korva_.VolumeStored) Mp3Player->SetVolume(korva_.Volume);
  for (int column = 0; column < 8; ++column) {
    const int width = korva_.FileColumnWidths[column];
    if (width > 0) ListViewFiles->setColumnWidth(column, width);
  }
  if (korva_.DurationColumnWidth > 0)
    ListViewFiles->setColumnWidth(fcDuration, korva_.DurationColumnWidth);
  for (size_t i = 0; i < kStoredConfigColumns.size(); ++i) {
    const int width = korva_.ConfigColumnWidths[i];
    if (width > 0) ListViewConfig->setColumnWidth(kStoredConfigColumns[i], width);
  }
  ListViewConfig->setColumnWidth(1, static_cast<int>(std::lround(pixelsPerInch_ / 2.3)));
  ListViewConfig->setColumnWidth(5, 6 * pixelsPerInch_);
  const int lower = LowerAreaHeightAtCreation();
  const int total = SplitterMain->height() > 0 ? SplitterMain->height() : 2 * lower;
  SplitterMain->setSizes({total - lower, lower});
  FillConfigBox();
  PanelMp3FileInfo->setFixedWidth(static_cast<int>(std::lround(2.5 * pixelsPerInch_)));
  SelectConfig(0);
  UpdateSortActions();
  ShowAppliedConfig();
  if (firstStart_) FitScenesAtFirstStart();
  RestoreWhereThePersonWas();
}

// The folder and the file list's sort of the last session.
void TFormMain::RestoreWhereThePersonWas() {
  if (!korva_.LastFolder.empty() && TreeViewFolders->SelectPath(korva_.LastFolder) != nullptr)
    FileList->RestoreSort(korva_.FileSortColumn, korva_.FileSortMark);
}

// The bars of the last session. A splitter keeps the proportions of its parts when it gets its
// size, so the stored pixels are put in once it has it, at the first showing.
void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  const auto place = [](QSplitter* splitter, int first) {
    const QList<int> sizes = splitter->sizes();
    if (first <= 0 || sizes.size() != 2) return;
    splitter->setSizes({first, std::max(sizes[0] + sizes[1] - first, 1)});
  };
  place(SplitterMain, korva_.UpperAreaHeight);
  place(SplitterLower, korva_.FolderTreeWidth);
}

void TFormMain::SaveSettings() {
  korva_.WindowRect = ToKorvaRect(isMaximized() || isMinimized() ? normalGeometry() : geometry());
  korva_.Volume = static_cast<uint8_t>(Mp3Player->Volume());
  for (int column = 0; column < 8; ++column)
    korva_.FileColumnWidths[column] = ListViewFiles->columnWidth(column);
  for (size_t i = 0; i < kStoredConfigColumns.size(); ++i)
    korva_.ConfigColumnWidths[i] = ListViewConfig->columnWidth(kStoredConfigColumns[i]);
  korva_.DurationColumnWidth = ListViewFiles->columnWidth(fcDuration);
  // A window never shown has no bars of its own; the stored ones stay.
  if (shown_) {
    korva_.UpperAreaHeight = SplitterMain->sizes().value(0);
    korva_.FolderTreeWidth = SplitterLower->sizes().value(0);
  }
  korva_.LastFolder = FileList->SelectedFolder();
  korva_.FileSortColumn = FileList->SortedColumn();
  korva_.FileSortMark = FileList->SortMark(std::max(korva_.FileSortColumn, 0));
  ::SaveSettings(korva_, IniFileName());
}

// Closing is never refused: a configuration that cannot be saved has shown its message.
void TFormMain::FormCloseQuery() {
  SaveCurrentConfig();
  SaveSettings();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  FormCloseQuery();
  event->accept();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  KeepLowerAreaInLimit();
}

// Enter in either list plays the selected file or scene.
bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == ListViewFiles || watched == ListViewConfig) &&
      event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ActionPlayMp3->trigger();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
