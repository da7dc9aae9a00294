// The main window's widgets and their arrangement: tool bar, the two areas split by a bar, the
// lists with their columns, the status bar, and the rules that keep the areas in bounds.
#include <QComboBox>
#include <QDateTime>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/file_drag.h"
#include "app/file_row.h"
#include "app/main.h"
#include "app/window_font.h"
#include "controls/seek_track_bar.h"

namespace {

constexpr int kUpperLowerSplitterHeight = 3;
constexpr int kUpperLowerMinimum = 100;
constexpr int kTreeFilesSplitterWidth = 2;
constexpr int kTreeFilesMinimum = 64;
constexpr int kDesignedTreeWidth = 161;

// The space a list cell adds around its text.
constexpr int kCellPadding = 16;

struct TColumn {
  const char* Caption;
  int Width;                // 0: as wide as the caption
  const char* Sample;       // typical content, which the column must show whole at first start
  bool DateSample = false;  // the typical content is a date and time in the locale's form
};

// Scene list columns: 場面, ループ, ファイル, 曲名, アーティスト, フルパス.
constexpr std::array<TColumn, 6> kConfigColumns = {{{"場面", 40, ""},
                                                    {"ループ", 0, "はい"},
                                                    {"ファイル", 40, ""},
                                                    {"曲名", 40, ""},
                                                    {"アーティスト", 40, ""},
                                                    {"フルパス", 0, ""}}};

// File list columns: ファイル名 ... フォルダ, then the playing time.
constexpr std::array<TColumn, fcCount> kFileColumns = {{{"ファイル名", 160, ""},
                                                        {"曲名", 40, ""},
                                                        {"アーティスト", 40, ""},
                                                        {"サイズ", 96, "99,999 KB"},
                                                        {"kBit", 40, "320"},
                                                        {"Hz", 40, "44,100"},
                                                        {"チャンネル", 40, "ステレオ"},
                                                        {"日付", 96, "", true},
                                                        {"フォルダ", 40, ""},
                                                        {"演奏時間", 40, "約59:59"}}};

QStringList ColumnSamples(const TColumn& column) {
  QStringList samples;
  if (*column.Sample != '\0') samples << QString::fromUtf8(column.Sample);
  if (column.DateSample)
    samples << FormatFileDate(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
  return samples;
}

// A report-style list: one line per row, no tree decoration, read-only.
template <typename TList, size_t N>
TList* CreateReportList(QWidget* parent, const std::array<TColumn, N>& columns) {
  auto* list = new TList(parent);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setColumnCount(static_cast<int>(N));
  QStringList captions;
  for (const TColumn& column : columns) captions << QString::fromUtf8(column.Caption);
  list->setHeaderLabels(captions);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionResizeMode(QHeaderView::Interactive);
  for (size_t i = 0; i < N; ++i) {
    const int column = static_cast<int>(i);
    const QStringList samples = ColumnSamples(columns[i]);
    list->setColumnWidth(column,
                         std::max(columns[i].Width, NeededColumnWidth(list, column, samples)));
  }
  return list;
}

// A black panel with lime text, sunken, as the player's read-outs are drawn.
QLabel* CreateReadout(QWidget* parent, int width, const QFont& font) {
  auto* panel = new QLabel(parent);
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setStyleSheet(
      QStringLiteral("QLabel { background: black; color: lime; border: 2px inset gray; }"));
  panel->setFont(font);
  panel->setFixedSize(width, 22);
  return panel;
}

}  // namespace

int NeededColumnWidth(const QTreeWidget* list, int column, const QStringList& samples) {
  int width = list->header()->sectionSizeHint(column);
  for (const QString& sample : samples)
    width = std::max(width, list->fontMetrics().horizontalAdvance(sample) + kCellPadding);
  return width;
}

// The widths of a first start, in pixels per inch, are a floor: a larger font needs more.
void TFormMain::RaiseDefaultWidths() {
  for (int column = 0; column < static_cast<int>(korva_.FileColumnWidths.size()); ++column) {
    int& width = korva_.FileColumnWidths[column];
    if (width > 0)
      width = std::max(
          width, NeededColumnWidth(ListViewFiles, column, ColumnSamples(kFileColumns[column])));
  }
  QStringList labels;
  for (const std::string& label : SceneNames) labels << QString::fromStdString(label);
  for (size_t i = 0; i < kStoredConfigColumns.size(); ++i) {
    const int column = kStoredConfigColumns[i];
    const QStringList samples = column == 0 ? labels : QStringList();
    korva_.ConfigColumnWidths[i] =
        std::max(korva_.ConfigColumnWidths[i], NeededColumnWidth(ListViewConfig, column, samples));
  }
}

// At first start the window grows (within the screen) until the scene list shows every scene
// of a small table such as the demo game's; the lower area keeps its half.
void TFormMain::FitScenesAtFirstStart() {
  const int rows = ListViewConfig->topLevelItemCount();
  if (rows == 0) return;
  const int frame = 2 * ListViewConfig->frameWidth();
  const int list = ListViewConfig->header()->sizeHint().height() +
                   rows * ListViewConfig->sizeHintForRow(0) + frame +
                   style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int upper =
      list + ComboBoxConfigs->sizeHint().height() + 2 * 5 + 2 * 2 + PanelUpper->layout()->spacing();
  const int lower = LowerAreaHeightAtCreation();
  if (upper <= lower) return;
  const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
  const int limit = screen.isValid() ? screen.height() - (frameGeometry().height() - height())
                                     : height() + upper - lower;
  const int wanted = height() + upper - lower;
  const int grown = std::min(wanted, std::max(height(), limit));
  resize(width(), grown);
  SplitterMain->setSizes({upper - (wanted - grown), lower});
}

void TFormMain::CreateToolBar() {
  ToolBarMain = addToolBar(QString());
  ToolBarMain->setObjectName("ToolBarMain");
  ToolBarMain->setMovable(false);
  ToolBarMain->setFloatable(false);
  ToolBarMain->setContextMenuPolicy(Qt::PreventContextMenu);
  ToolBarMain->setIconSize(QSize(16, 16));
  ToolBarMain->addAction(ActionApply);
  ToolBarMain->addAction(ActionAutoJump);
  ToolBarMain->addAction(ActionPlayMp3);
  ToolButtonPlay = qobject_cast<QToolButton*>(ToolBarMain->widgetForAction(ActionPlayMp3));
  ToolBarMain->addAction(ActionStopPlayer);
  ToolButton3 = qobject_cast<QToolButton*>(ToolBarMain->widgetForAction(ActionStopPlayer));

  TrackBarPlayer = new TSeekTrackBar(Qt::Horizontal, ToolBarMain);
  TrackBarPlayer->setObjectName("TrackBarPlayer");
  TrackBarPlayer->setFixedWidth(150);
  TrackBarPlayer->setRange(0, 0);
  ToolBarMain->addWidget(TrackBarPlayer);

  ToolButtonVolume = new QToolButton(ToolBarMain);
  ToolButtonVolume->setObjectName("ToolButtonVolume");
  ToolButtonVolume->setAutoRaise(true);
  ToolButtonVolume->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
  ToolBarMain->addWidget(ToolButtonVolume);

  PanelMp3FileInfo = CreateReadout(ToolBarMain, 228, font());
  PanelMp3FileInfo->setObjectName("PanelMp3FileInfo");
  ToolBarMain->addWidget(PanelMp3FileInfo);
  QFont timeFont(QStringLiteral("Arial"));
  timeFont.setPixelSize(15);
  PanelTime = CreateReadout(ToolBarMain, 48, timeFont);
  PanelTime->setObjectName("PanelTime");
  PanelTime->setAlignment(Qt::AlignCenter);
  ToolBarMain->addWidget(PanelTime);
}

void TFormMain::CreateUpperArea() {
  PanelUpper = new QFrame(this);
  PanelUpper->setObjectName("PanelUpper");
  PanelUpper->setFrameShape(QFrame::Panel);
  PanelUpper->setFrameShadow(QFrame::Sunken);
  // The desktop's colour behind the scene list, as the area is designed.
  PanelUpper->setAutoFillBackground(true);
  QPalette palette = PanelUpper->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Dark));
  PanelUpper->setPalette(palette);
  PanelUpper->setMinimumHeight(kUpperLowerMinimum);

  ComboBoxConfigs = new QComboBox(PanelUpper);
  ComboBoxConfigs->setObjectName("ComboBoxConfigs");
  ComboBoxConfigs->setEditable(false);
  ComboBoxConfigs->setFixedWidth(177);
  connect(ComboBoxConfigs, &QComboBox::currentIndexChanged, this, &TFormMain::ShowSelectedConfig);
  ButtonNewConfig = new QPushButton(ActionNewConfig->text(), PanelUpper);
  ButtonNewConfig->setObjectName("ButtonNewConfig");
  connect(ButtonNewConfig, &QPushButton::clicked, ActionNewConfig, &QAction::trigger);
  ButtonDeleteConfig = new QPushButton(ActionDeleteConfig->text(), PanelUpper);
  ButtonDeleteConfig->setObjectName("ButtonDeleteConfig");
  // The button follows its action's enabled state, as a bound button does.
  ButtonDeleteConfig->setEnabled(ActionDeleteConfig->isEnabled());
  connect(ActionDeleteConfig, &QAction::changed, ButtonDeleteConfig,
          [this] { ButtonDeleteConfig->setEnabled(ActionDeleteConfig->isEnabled()); });
  connect(ButtonDeleteConfig, &QPushButton::clicked, ActionDeleteConfig, &QAction::trigger);

  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(ComboBoxConfigs);
  row->addWidget(ButtonNewConfig);
  row->addWidget(ButtonDeleteConfig);
  row->addStretch(1);

  ListViewConfig = CreateReportList<QTreeWidget>(PanelUpper, kConfigColumns);
  ListViewConfig->setObjectName("ListViewConfig");
  ListViewConfig->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListViewConfig->header()->setSectionsClickable(false);
  ListViewConfig->setContextMenuPolicy(Qt::CustomContextMenu);
  ListViewConfig->installEventFilter(this);

  auto* column = new QVBoxLayout(PanelUpper);
  column->setContentsMargins(5, 5, 5, 5);
  column->addLayout(row);
  column->addWidget(ListViewConfig, 1);
}

void TFormMain::CreateLowerArea() {
  SplitterLower = new QSplitter(Qt::Horizontal, this);
  SplitterLower->setObjectName("SplitterLower");
  SplitterLower->setHandleWidth(kTreeFilesSplitterWidth);
  SplitterLower->setChildrenCollapsible(false);

  PanelFolderTree = new QWidget(SplitterLower);
  PanelFolderTree->setObjectName("PanelFolderTree");
  PanelFolderTree->setMinimumWidth(kTreeFilesMinimum);
  PanelFolderTreeLayout = new QVBoxLayout(PanelFolderTree);
  PanelFolderTreeLayout->setContentsMargins(0, 0, 0, 0);

  ListViewFiles = CreateReportList<TFileDragList>(SplitterLower, kFileColumns);
  ListViewFiles->setObjectName("ListViewFiles");
  ListViewFiles->setMinimumWidth(kTreeFilesMinimum);
  ListViewFiles->setSelectionMode(QAbstractItemView::SingleSelection);
  ListViewFiles->header()->setSectionsClickable(true);
  ListViewFiles->headerItem()->setTextAlignment(fcSize, Qt::AlignRight | Qt::AlignVCenter);
  ListViewFiles->headerItem()->setTextAlignment(fcDuration, Qt::AlignRight | Qt::AlignVCenter);
  ListViewFiles->setContextMenuPolicy(Qt::CustomContextMenu);
  ListViewFiles->installEventFilter(this);

  SplitterLower->addWidget(PanelFolderTree);
  SplitterLower->addWidget(ListViewFiles);
  SplitterLower->setStretchFactor(1, 1);
  SplitterLower->setSizes({kDesignedTreeWidth, width() - kDesignedTreeWidth});
}

void TFormMain::CreateStatusBar() {
  StatusPanel = new QLabel(statusBar());
  StatusPanel->setObjectName("StatusPanel");
  StatusPanel->setMinimumWidth(50);
  statusBar()->addWidget(StatusPanel, 1);
  StatusPanelGame = new QLabel(statusBar());
  StatusPanelGame->setObjectName("StatusPanelGame");
  statusBar()->addPermanentWidget(StatusPanelGame);
  statusBar()->setSizeGripEnabled(true);
}

void TFormMain::CreateLayout() {
  CreateToolBar();
  CreateUpperArea();
  CreateLowerArea();
  CreateStatusBar();
  SplitterMain = new QSplitter(Qt::Vertical, this);
  SplitterMain->setObjectName("SplitterMain");
  SplitterMain->setHandleWidth(kUpperLowerSplitterHeight);
  SplitterMain->setChildrenCollapsible(false);
  SplitterMain->addWidget(PanelUpper);
  SplitterMain->addWidget(SplitterLower);
  SplitterMain->setStretchFactor(0, 1);
  setCentralWidget(SplitterMain);
}

void TFormMain::ApplyFont() { setFont(WindowFont()); }

// Half of what is left between the bars, as the areas are first divided.
int TFormMain::LowerAreaHeightAtCreation() const {
  const int clientHeight = height() - menuBar()->sizeHint().height();
  return (clientHeight - statusBar()->sizeHint().height() - 2 * ToolBarMain->sizeHint().height() -
          kUpperLowerSplitterHeight) /
         2;
}

// The upper area keeps at least its minimum height when the window shrinks; the lower area
// gives way.
void TFormMain::KeepLowerAreaInLimit() {
  const QList<int> sizes = SplitterMain->sizes();
  if (sizes.size() != 2) return;
  const int available = sizes[0] + sizes[1];
  const int limit = available - kUpperLowerMinimum;
  if (sizes[1] > limit && limit > 0) SplitterMain->setSizes({available - limit, limit});
}
