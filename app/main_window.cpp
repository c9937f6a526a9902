#include "main_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <fcntl.h>
#include <new>
#include <string_view>
#include <unistd.h>
#include <utility>

#include "analysis_menu.h"
#include "error_box.h"
#include "file_type.h"
#include "image_export.h"
#include "image_view.h"
#include "line_tints.h"
#include "line_view.h"
#include "plot_explorer.h"
#include "plot_modes.h"
#include "plot_pass.h"
#include "progressive_load.h"
#include "raster_canvas.h"
#include "reading_account.h"
#include "results_text.h"
#include "results_window.h"
#include "safe_write.h"

TQVMainForm* QVMainForm = nullptr;

static void InitQuorvexResources() {
    Q_INIT_RESOURCE(quorvex);
}

namespace {

constexpr int kClientWidth = 941;
constexpr int kClientHeight = 672;
constexpr QSize kRasterSize{553, 529};

// The client area below the menu. It has no layout: every control sits at a
// fixed place, and a window made smaller simply cuts the view.
class ClientArea : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {kClientWidth, kClientHeight}; }
    QSize minimumSizeHint() const override { return {0, 0}; }
};

// Labels size themselves to their caption; the given sizes are those of the
// captions in the design font, and a metric twin may need a pixel or two more.
QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    const int width = std::max(geometry.width(), label->fontMetrics().horizontalAdvance(text));
    label->setGeometry(geometry.x(), geometry.y(), width, geometry.height());
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* MakeRadioGroup(QWidget* parent, const QString& title, const QStringList& items,
                          int selected, const QRect& geometry) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(geometry);
    auto* buttons = new QButtonGroup(box);
    auto* column = new QVBoxLayout(box);
    // The longest caption needs nearly the whole width inside the frame;
    // items start right at its inner edge so that it ends before the frame.
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        // Items share the height of the box evenly, one column as in a radio group.
        radio->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        buttons->addButton(radio, i);
        column->addWidget(radio);
    }
    buttons->button(selected)->setChecked(true);
    return box;
}

QStringList FileTypeItems() {
    QStringList items;
    for (const std::string_view caption : kFileTypeCaptions)
        items.append(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    return items;
}

QStringList PlotTypeItems() {
    QStringList items;
    for (int type = 0; type < kPlotTypeCount; ++type)
        items.append(ModeText(PlotModeTextsOf(type).SelectorCaption));
    return items;
}

} // namespace

TQVMainForm::TQVMainForm(QWidget* parent)
    : QMainWindow(parent),
      OpenDialog1(FileDialog::Mode::Open, QStringLiteral("Open Quorvex Data File"),
                  QStringLiteral("Quorvex Data File (.plt)|*.plt|Text File (.txt)|*.txt|"
                                 "All Files|*.*"),
                  QString()),
      SaveDialog1(FileDialog::Mode::Save, QStringLiteral("Save Data File"),
                  QStringLiteral("Quorvex Date Files (.plt will be added)|*.plt|Text File|*.txt"),
                  QStringLiteral(".plt")),
      SaveDialog2(FileDialog::Mode::Save, QStringLiteral("Save Plot Image"),
                  QStringLiteral("BMP bitmap (.bmp will be added)|*.bmp|"
                                 "PNG image (.png will be added)|*.png|"
                                 "SVG drawing (.svg will be added)|*.svg|"
                                 "PDF document (.pdf will be added)|*.pdf"),
                  QStringLiteral(".bmp")),
      raster_(kRasterSize, QImage::Format_RGB32) {
    InitQuorvexResources();
    QVMainForm = this;
    SaveDialog2.SetExtensionFollowsFilter(true);
    SaveDialog2.SetOffersFigureChoices(true);
    setObjectName(QStringLiteral("QVMainForm"));
    setWindowTitle(QStringLiteral("Quorvex"));
    setWindowIcon(QIcon(QStringLiteral(":/quorvex_icon.xpm")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // 8 points is 11 pixels at 96 pixels per inch; fontconfig maps Arial to
    // its metric twin where Arial itself is missing.
    QFont windowFont(QStringLiteral("Arial"));
    windowFont.setStyleHint(QFont::SansSerif);
    windowFont.setPointSize(8);
    setFont(windowFont);

    raster_.fill(Qt::white);
    canvas_ = std::make_unique<RasterCanvas>(raster_);
    report_ = std::make_unique<PlotReport>();

    BuildControls();
    BuildMenu();
    WireEvents();
    tints_ = new LineTints(DataFileMemo);
    explorer_ = new PlotExplorer(*Image1, *DataFileMemo, *PointerReadout);

    resize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        move(desktop.center() - QPoint(width() / 2, height() / 2));
    }
}

TQVMainForm::~TQVMainForm() {
    if (QVMainForm == this)
        QVMainForm = nullptr;
}

void TQVMainForm::BuildControls() {
    auto* client = new ClientArea(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    Label1 =
        MakeLabel(client, QStringLiteral("Title for this plot (on printout)"), {8, 8, 138, 14});
    TitleEdit = new QLineEdit(client);
    TitleEdit->setGeometry(8, 24, 505, 22);
    DataFileLabel = MakeLabel(client, QStringLiteral("Data file"), {8, 56, 39, 14});

    DataFileMemo = new QPlainTextEdit(client);
    DataFileMemo->setGeometry(8, 72, 345, 153);
    QFont editorFont(QStringLiteral("Courier New"));
    editorFont.setStyleHint(QFont::TypeWriter);
    editorFont.setFixedPitch(true);
    editorFont.setPointSize(8);
    DataFileMemo->setFont(editorFont);
    DataFileMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    DataFileMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DataFileMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, so the tab order reaches past the editor.
    DataFileMemo->setTabChangesFocus(true);

    Button4 = MakeButton(client, QStringLiteral("Load Data File"), {8, 248, 201, 33});
    Button3 = MakeButton(client, QStringLiteral("Save Data File"), {8, 288, 201, 33});
    FileTypeRG = MakeRadioGroup(client, QStringLiteral("Data file type"), FileTypeItems(), 0,
                                {8, 328, 201, 249});
    // Each item names the columns its reader reads, in the reader's own words.
    for (QAbstractButton* item : GroupOf(FileTypeRG)->buttons())
        item->setToolTip(QString::fromStdString(FileTypeColumns(GroupOf(FileTypeRG)->id(item))));
    OpenImageButt = MakeButton(client, QStringLiteral("Show / Refresh plot"), {8, 584, 201, 73});
    PlotTypeRG = MakeRadioGroup(client, QStringLiteral("What are you plotting?"), PlotTypeItems(),
                                0, {216, 240, 145, 81});
    PlotErrorRG =
        MakeRadioGroup(client, QStringLiteral("Plot error circles on data?"),
                       {QStringLiteral("Certainly!"), QStringLiteral("No, not right now."),
                        QStringLiteral("L. hemi. plane.")},
                       1, {216, 328, 145, 89});
    AvRg = MakeRadioGroup(client, QStringLiteral("Show Fisher average?"),
                          {QStringLiteral("Yes, please"), QStringLiteral("No thank you")}, 1,
                          {216, 424, 145, 73});
    GCFitRG = MakeRadioGroup(client, QStringLiteral("Show great-circle fit?"),
                             {QStringLiteral("Of course!"), QStringLiteral("Maybe later")}, 1,
                             {216, 504, 145, 73});
    Button1 = MakeButton(client, QStringLiteral("Save Image"), {216, 584, 145, 33});
    Button2 = MakeButton(client, QStringLiteral("Print Image"), {216, 624, 145, 33});

    Image1 = new ImageView(raster_, client);
    Image1->setGeometry(QRect(QPoint(376, 72), kRasterSize));

    Label4 =
        MakeLabel(client, QStringLiteral("Generic data file (plain text):"), {560, 24, 136, 14});
    Label5 = MakeLabel(
        client,
        QStringLiteral("D/Lon [sp] I/lat [sp] error radius (optional) [sp] tagline (ignored)"),
        {560, 40, 299, 14});
    Label2 = MakeLabel(
        client, QStringLiteral("Quorvex: equal-area nets of paleomagnetic and structural data"),
        {416, 648, 452, 14});
    PointerReadout = MakeLabel(client, QString(), {376, 608, 553, 14});

    OpenImageButt->setObjectName(QStringLiteral("OpenImageButt"));
    DataFileLabel->setObjectName(QStringLiteral("DataFileLabel"));
    FileTypeRG->setObjectName(QStringLiteral("FileTypeRG"));
    AvRg->setObjectName(QStringLiteral("AvRg"));
    DataFileMemo->setObjectName(QStringLiteral("DataFileMemo"));
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
    Label1->setObjectName(QStringLiteral("Label1"));
    PlotTypeRG->setObjectName(QStringLiteral("PlotTypeRG"));
    Label2->setObjectName(QStringLiteral("Label2"));
    PlotErrorRG->setObjectName(QStringLiteral("PlotErrorRG"));
    Image1->setObjectName(QStringLiteral("Image1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3->setObjectName(QStringLiteral("Button3"));
    Button4->setObjectName(QStringLiteral("Button4"));
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5->setObjectName(QStringLiteral("Label5"));
    GCFitRG->setObjectName(QStringLiteral("GCFitRG"));
    PointerReadout->setObjectName(QStringLiteral("PointerReadout"));

    // Tab order 0 to 11; a radio group takes the focus on its selected item.
    const QList<QWidget*> tabOrder = {OpenImageButt, DataFileMemo, FileTypeRG,  AvRg,
                                      TitleEdit,     PlotTypeRG,   PlotErrorRG, Button1,
                                      Button2,       Button3,      Button4,     GCFitRG};
    QList<QWidget*> chain;
    for (QWidget* widget : tabOrder) {
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            for (QAbstractButton* radio : GroupOf(box)->buttons())
                chain.append(radio);
        } else {
            chain.append(widget);
        }
    }
    for (qsizetype i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain[i], chain[i + 1]);
    for (QWidget* widget : chain) {
        if (qobject_cast<QRadioButton*>(widget))
            widget->installEventFilter(this);
    }
}

void TQVMainForm::BuildMenu() {
    menuBar()->setNativeMenuBar(false);
    File1 = menuBar()->addMenu(QStringLiteral("Main Menu"));
    File1->setObjectName(QStringLiteral("File1"));
    // A popup is a window of its own and would not inherit the window font.
    File1->setFont(font());
    Open1 = File1->addAction(QStringLiteral("Open Data File"));
    Save1 = File1->addAction(QStringLiteral("Save Data File"));
    ShowRefreshPlot1 = File1->addAction(QStringLiteral("Show / Refresh Plot"));
    SaveImageFile1 = File1->addAction(QStringLiteral("Save Image File"));
    PrintImage1 = File1->addAction(QStringLiteral("Print Image"));
    PrintDialog1 = File1->addAction(QStringLiteral("Print\u2026"));
    N1 = File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("Exit"));
    const std::pair<QAction*, const char*> named[] = {{Open1, "Open1"},
                                                      {Save1, "Save1"},
                                                      {ShowRefreshPlot1, "ShowRefreshPlot1"},
                                                      {SaveImageFile1, "SaveImageFile1"},
                                                      {PrintImage1, "PrintImage1"},
                                                      {PrintDialog1, "PrintDialog1"},
                                                      {N1, "N1"},
                                                      {Exit1, "Exit1"}};
    for (const auto& [action, name] : named)
        action->setObjectName(QString::fromLatin1(name));
    // The keys every editor gives these commands.
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveImageFile1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    PrintImage1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    PrintDialog1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    ShowRefreshPlot1->setShortcut(QKeySequence(Qt::Key_F5));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    AnalysisMenu1 = new AnalysisMenu(*menuBar(), *this);
}

void TQVMainForm::WireEvents() {
    connect(OpenImageButt, &QPushButton::clicked, this, [this] { DoImage(OpenImageButt); });
    connect(ShowRefreshPlot1, &QAction::triggered, this, [this] { DoImage(ShowRefreshPlot1); });
    connect(DataFileMemo, &QPlainTextEdit::textChanged, this,
            [this] { DataFileMemoChange(DataFileMemo); });
    DataFileMemo->viewport()->installEventFilter(this);
    TitleEdit->installEventFilter(this);
    setAcceptDrops(true);
    connect(TitleEdit, &QLineEdit::textChanged, this, [this] { RequestRedraw(TitleEdit); });
    for (QGroupBox* box : {FileTypeRG, PlotTypeRG, PlotErrorRG, AvRg, GCFitRG}) {
        // Only the newly checked item reports, so one change redraws once.
        connect(GroupOf(box), &QButtonGroup::idToggled, this, [this, box](int, bool checked) {
            if (checked)
                DoImage(box);
        });
    }
    connect(Button4, &QPushButton::clicked, this, [this] { Open1Click(Button4); });
    connect(Open1, &QAction::triggered, this, [this] { Open1Click(Open1); });
    connect(Button3, &QPushButton::clicked, this, [this] { Save1Click(Button3); });
    connect(Save1, &QAction::triggered, this, [this] { Save1Click(Save1); });
    connect(Button2, &QPushButton::clicked, this, [this] { PrintButtClick(Button2); });
    connect(PrintImage1, &QAction::triggered, this, [this] { PrintButtClick(PrintImage1); });
    connect(PrintDialog1, &QAction::triggered, this, [this] { PrintDialogClick(PrintDialog1); });
    connect(Button1, &QPushButton::clicked, this, [this] { Save2Click(Button1); });
    connect(SaveImageFile1, &QAction::triggered, this, [this] { Save2Click(SaveImageFile1); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(Exit1); });
    connect(AnalysisMenu1, &AnalysisMenu::SettingsChanged, this,
            [this] { DoImage(AnalysisMenu1->Analysis1); });
    connect(AnalysisMenu1, &AnalysisMenu::ResultsRequested, this,
            [this] { Results1Click(AnalysisMenu1->Results1); });
}

void TQVMainForm::SetDialogRunner(DialogRunner runner) {
    dialogRunner_ = std::move(runner);
}

void TQVMainForm::SetErrorSink(ErrorSink sink) {
    errorSink_ = std::move(sink);
}

void TQVMainForm::SetCloseQuestion(CloseQuestion question) {
    closeQuestion_ = std::move(question);
}

QButtonGroup* TQVMainForm::GroupOf(const QGroupBox* group) {
    return group->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly);
}

int TQVMainForm::ItemIndex(const QGroupBox* group) const {
    return GroupOf(group)->checkedId();
}

void TQVMainForm::SetItemIndex(QGroupBox* group, int index) {
    if (QAbstractButton* radio = GroupOf(group)->button(index))
        radio->setChecked(true);
}

QImage& TQVMainForm::Raster() {
    return raster_;
}

QString TQVMainForm::EditorText() const {
    // The raw text keeps every character as loaded (the plain text would turn
    // no-break spaces into spaces); blocks are joined by paragraph separators.
    QString text = DataFileMemo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void TQVMainForm::QuorvexStart(QObject* sender) {
    CurrentFileName = QStringLiteral(" ");
    DataFileMemo->setFocus(Qt::OtherFocusReason);
    DoImage(sender);
}

void TQVMainForm::DataFileMemoChange(QObject*) {
    CurrentFileName = QStringLiteral(" ");
}

void TQVMainForm::Exit1Click(QObject*) {
    close();
}

PlotOptions TQVMainForm::CurrentPlotOptions() const {
    PlotOptions options;
    options.FileType = ItemIndex(FileTypeRG);
    options.PlotType = ItemIndex(PlotTypeRG);
    options.ErrorCircles = static_cast<ErrorCircleMode>(ItemIndex(PlotErrorRG));
    options.FisherMean = ItemIndex(AvRg) == 0;
    options.GreatCircleFit = ItemIndex(GCFitRG) == 0;
    options.Title = TitleEdit->text();
    options.FileName = CurrentFileName;
    AnalysisMenu1->Apply(options);
    return options;
}

PlotInputs TQVMainForm::CurrentPlotInputs(const LineView& lines) const {
    PlotInputs inputs;
    inputs.Lines = &lines;
    inputs.Options = CurrentPlotOptions();
    inputs.Environment.Today = TodayShortDate();
    inputs.Environment.DecimalSeparator = LocaleDecimalSeparator();
    inputs.Environment.RasterSize = raster_.size();
    inputs.Environment.ClientSize = centralWidget()->size();
    inputs.Environment.WindowFontWidthN270 =
        QFontMetrics(font()).horizontalAdvance(QStringLiteral("N270"));
    return inputs;
}

void TQVMainForm::RequestRedraw(QObject* sender) {
    // Keystrokes that arrive while a pass runs wait in the event queue; the
    // first posts the redraw, the rest find it still to come, and one pass
    // then draws the newest state.
    if (redrawPosted_)
        return;
    redrawPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, sender] {
            redrawPosted_ = false;
            DoImage(sender);
        },
        Qt::QueuedConnection);
}

void TQVMainForm::DoImage(QObject*) {
    Guard([&] {
        const LineView lines(EditorText());
        const PlotInputs inputs = CurrentPlotInputs(lines);
        RunPlotPass(*canvas_, inputs, *report_);
        Extent = report_->Extent;
        // After an image export the raster stays black and white: whatever this
        // pass drew is thresholded the same way, in the same image object.
        if (rasterBlackAndWhite_)
            MakeBlackAndWhite(raster_);
        Image1->update();
        // After a fault the account covers the lines the pass reached.
        std::vector<int> setLines;
        for (const DataSet& set : report_->Sets) {
            if (set.Line > 0)
                setLines.push_back(set.Line);
        }
        tints_->Show(inputs.Options.FileType,
                     PassReadingOptions(inputs.Options, inputs.Environment.DecimalSeparator),
                     report_->RejectedLines, setLines);
        Image1->setToolTip(ReadingAccount(report_->DataCount, report_->RejectedLines));
        explorer_->Follow(*report_, inputs.Options, inputs.Environment.DecimalSeparator);
        AnalysisMenu1->FollowSelectors(inputs.Options.FileType, inputs.Options.PlotType);
        if (results_ != nullptr && results_->isVisible())
            results_->SetText(ResultsText(inputs, *report_));
        ++plotPassCount_;
        if (!report_->Fault.isEmpty())
            ShowError(report_->Fault);
    });
}

void TQVMainForm::Results1Click(QObject* sender) {
    if (results_ == nullptr)
        results_ = new ResultsWindow(this);
    results_->ShowBeside(*this);
    DoImage(sender);
}

void TQVMainForm::SetPrintDeviceOpener(PrintDeviceOpener opener) {
    printDeviceOpener_ = std::move(opener);
}

void TQVMainForm::SetPrintDialogRunner(PrintDialogRunner runner) {
    printDialogRunner_ = std::move(runner);
}

void TQVMainForm::PrintPage(const PrintDeviceOpener& open) {
    const LineView lines(EditorText());
    const PlotInputs inputs = CurrentPlotInputs(lines);
    PrintContent content;
    // A fault shows in the window's own pass; the page keeps what was drawn.
    content.Draw = [&inputs](Canvas& canvas) {
        PlotReport report;
        RunPlotPass(canvas, inputs, report);
    };
    content.Units = raster_.size();
    content.FixedPitch = canvas_->FixedPitchRequested();
    content.Extent = Extent;
    content.WindowFont = font();
    const PlotOptions& options = inputs.Options;
    content.Lines = PrintTextLines(options.Title, options.PlotType, TiltCorrectionApplies(options),
                                   options.FileName, lines, options.NetProjection);
    content.Title = options.Title;
    const QString error = PrintPlot(open, content);
    if (!error.isEmpty())
        ShowError(error);
}

void TQVMainForm::PrintButtClick(QObject*) {
    Guard([&] { PrintPage(printDeviceOpener_); });
}

void TQVMainForm::PrintDialogClick(QObject*) {
    Guard([&] {
        std::unique_ptr<QPrinter> printer = DialogPrinter();
        bool accepted = false;
        if (printDialogRunner_) {
            accepted = printDialogRunner_(*printer);
        } else {
            QPrintDialog dialog(printer.get(), this);
            accepted = dialog.exec() == QDialog::Accepted;
        }
        if (!accepted)
            return;
        PrintPage([&printer](QString& error) -> std::unique_ptr<QPagedPaintDevice> {
            error = PrinterRefusal(*printer);
            if (!error.isEmpty())
                return nullptr;
            return std::move(printer);
        });
    });
}

void TQVMainForm::Save2Click(QObject*) {
    Guard([&] {
        const std::optional<QString> path = RunDialog(SaveDialog2);
        if (!path)
            return;
        if (WouldReplaceDataFile(*path)) {
            // quorvex-plot refuses the same in the same words; nothing changes.
            ShowError(QStringLiteral("the image '%1' would replace the data file it is drawn from")
                          .arg(*path));
            return;
        }
        const ImageFormat format = ExportFormat(*path, SaveDialog2.FilterIndex());
        // The BMP raster turns black and white before the file is made, and
        // stays so even when the file cannot be written.
        if (format == ImageFormat::Bmp) {
            MakeBlackAndWhite(raster_);
            rasterBlackAndWhite_ = true;
            Image1->update();
        }
        const LineView lines(EditorText());
        const FigureChoices& choices = SaveDialog2.Figure();
        PlotInputs inputs = CurrentPlotInputs(lines);
        inputs.Options.Omit = choices.Omit;
        // Several sets keep their colours, unless a BMP made the raster black
        // and white.
        const PngPixels png = report_->Sets.size() >= 2 && !rasterBlackAndWhite_
                                  ? PngPixels::AsDrawn
                                  : PngPixels::BlackAndWhite;
        const QString error = ExportPlotImage(*path, format, choices.Scale, raster_, inputs,
                                              canvas_->FixedPitchRequested(), png);
        if (!error.isEmpty())
            ShowError(error);
    });
}

bool TQVMainForm::WouldReplaceDataFile(const QString& path) const {
    if (dataFilePath_.isEmpty())
        return false;
    // Without blocking, should a pipe have taken the data file's place.
    const int fd =
        ::open(QFile::encodeName(dataFilePath_).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool same = IsSameFile(fd, path);
    ::close(fd);
    return same;
}

void TQVMainForm::Open1Click(QObject*) {
    Guard([&] {
        if (const std::optional<QString> path = RunDialog(OpenDialog1)) {
            if (!LoadIntoEditor(*path))
                return;
        }
        CurrentFileName = OpenDialog1.FileName();
    });
}

bool TQVMainForm::LoadIntoEditor(const QString& path) {
    QString error;
    const std::optional<DataFileText> loaded = ReadDataFile(path, error);
    if (!loaded) {
        ShowError(error);
        return false;
    }
    // Replacing the text reports a change, which sets the name to " ".
    if (loaded->Text != EditorText()) {
        if (!NeedsProgressiveLoad(loaded->Text))
            DataFileMemo->setPlainText(loaded->Text);
        else if (!ReplaceTextInPieces(*DataFileMemo->document(), loaded->Text, this))
            return false; // cancelled: the editor keeps its text
    }
    dataEncoding_ = loaded->Encoding;
    dataByteOrderMark_ = loaded->ByteOrderMark;
    dataFilePath_ = path;
    DataFileMemo->document()->setModified(false);
    return true;
}

bool TQVMainForm::OpenDataFile(const QString& path) {
    // The dialog returns full paths, and remembers what it was given.
    OpenDialog1.Accept(QFileInfo(path).absoluteFilePath(), OpenDialog1.FilterIndex());
    if (!LoadIntoEditor(OpenDialog1.FileName()))
        return false;
    CurrentFileName = OpenDialog1.FileName();
    return true;
}

void TQVMainForm::Save1Click(QObject*) {
    Guard([&] { SaveDataFile(); });
}

bool TQVMainForm::SaveDataFile() {
    const std::optional<QString> path = RunDialog(SaveDialog1);
    if (!path)
        return false;
    const QString error = WriteDataFile(*path, EditorText(), dataEncoding_, dataByteOrderMark_);
    if (!error.isEmpty()) {
        ShowError(error);
        return false;
    }
    // Only a file that holds the data may be named in the header.
    CurrentFileName = *path;
    dataFilePath_ = *path;
    DataFileMemo->document()->setModified(false);
    return true;
}

void TQVMainForm::closeEvent(QCloseEvent* event) {
    if (MayClose())
        event->accept();
    else
        event->ignore();
}

bool TQVMainForm::MayClose() {
    if (!DataFileMemo->document()->isModified())
        return true;
    const QString question = QStringLiteral(
        "The data text has changed since it was last loaded or saved. Save it before closing?");
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    if (closeQuestion_) {
        answer = closeQuestion_(question);
    } else {
        answer = QMessageBox::question(
            this, QStringLiteral("Quorvex"), question,
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    }
    switch (answer) {
    case QMessageBox::Save:
        // A cancelled or failed save keeps the window, and the text, open.
        return SaveDataFile();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TQVMainForm::Guard(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        // What the work held is freed by now; the editor text is untouched.
        ShowError(QStringLiteral("Out of system resources"));
    }
}

void TQVMainForm::ShowError(const QString& message) {
    if (errorSink_)
        errorSink_(ErrorBoxText(message));
    else
        ShowErrorBox(this, message);
}

std::optional<QString> TQVMainForm::RunDialog(FileDialog& dialog) {
    std::optional<QString> path;
    if (dialogRunner_) {
        path = dialogRunner_(dialog);
    } else {
        const QString chosen = dialog.ExecuteModal(this);
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (path && dialog.FileName() != *path)
        dialog.Accept(*path, dialog.FilterIndex());
    return path;
}

bool TQVMainForm::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate && !started_) {
        started_ = true;
        QuorvexStart(this);
        if (startFile_ && OpenDataFile(*std::exchange(startFile_, std::nullopt)))
            DoImage(this);
    }
    return handled;
}

namespace {

// The one local file a drag carries, if that is all it carries.
std::optional<QString> DraggedDataFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::nullopt;
    return urls.first().toLocalFile();
}

} // namespace

bool TQVMainForm::TakeFileDrag(QDropEvent* event, bool drop) {
    if (!event->mimeData()->hasUrls())
        return false;
    const std::optional<QString> file = DraggedDataFile(event->mimeData());
    if (!file) {
        event->ignore();
        return true;
    }
    event->acceptProposedAction();
    if (drop && OpenDataFile(*file))
        DoImage(this);
    return true;
}

void TQVMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!TakeFileDrag(event, false))
        event->ignore();
}

void TQVMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (!TakeFileDrag(event, false))
        event->ignore();
}

void TQVMainForm::dropEvent(QDropEvent* event) {
    if (!TakeFileDrag(event, true))
        event->ignore();
}

bool TQVMainForm::eventFilter(QObject* watched, QEvent* event) {
    // The editor and the title box take text drops of their own; a dragged
    // file is the window's, and must not land in them as its name.
    const QEvent::Type type = event->type();
    if ((watched == DataFileMemo->viewport() || watched == TitleEdit) &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        TakeFileDrag(static_cast<QDropEvent*>(event), type == QEvent::Drop))
        return true;
    if (watched == DataFileMemo->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        DoImage(DataFileMemo);
    if (event->type() == QEvent::FocusIn) {
        // Tabbing into a radio group lands on its selected item, as in any
        // one-column radio group; Qt would pick the first item it meets.
        const auto* focus = static_cast<QFocusEvent*>(event);
        auto* radio = qobject_cast<QRadioButton*>(watched);
        if (radio && !radio->isChecked() &&
            (focus->reason() == Qt::TabFocusReason || focus->reason() == Qt::BacktabFocusReason)) {
            if (QAbstractButton* selected = radio->group()->checkedButton())
                selected->setFocus(focus->reason());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
