#pragma once

#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "data_file.h"
#include "file_dialog.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "print_page.h"

class AnalysisMenu;
class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class LineView;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class RasterCanvas;
class ImageView;
class LineTints;
class PlotExplorer;
class ResultsWindow;
struct PlotReport;

// The program's one window. Controls carry the names of the original design;
// handlers are named after the control and event or after their role.
class TQVMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TQVMainForm(QWidget* parent = nullptr);
    ~TQVMainForm() override;

    // Test seams: replace the modal dialogs, the error box and the printer.
    // A dialog runner returns the accepted full path or nothing on cancel; the
    // window then remembers the path in the dialog. The error sink receives
    // the text the box would show (full stop rule applied).
    using DialogRunner = std::function<std::optional<QString>(FileDialog& dialog)>;
    using ErrorSink = std::function<void(const QString& message)>;
    void SetDialogRunner(DialogRunner runner);
    void SetErrorSink(ErrorSink sink);
    // Closing with unsaved data asks question and takes the answer: Save,
    // Discard or Cancel (the seam replaces the modal box).
    using CloseQuestion = std::function<QMessageBox::StandardButton(const QString& question)>;
    void SetCloseQuestion(CloseQuestion question);

    // Program-wide state kept beside the window.
    QString CurrentFileName;
    PlotExtent Extent;

    // Controls, in the order of the original design.
    QPushButton* OpenImageButt = nullptr;
    QLabel* DataFileLabel = nullptr;
    QGroupBox* FileTypeRG = nullptr;
    QGroupBox* AvRg = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    QPlainTextEdit* DataFileMemo = nullptr;
    QLineEdit* TitleEdit = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* PlotTypeRG = nullptr;
    QLabel* Label2 = nullptr;
    QGroupBox* PlotErrorRG = nullptr;
    ImageView* Image1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QAction* SaveImageFile1 = nullptr;
    QAction* PrintImage1 = nullptr;
    QAction* PrintDialog1 = nullptr; // "Print…": the system's print dialog first
    QAction* ShowRefreshPlot1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QGroupBox* GCFitRG = nullptr;
    // Under the plot: the direction or the mark under the pointer.
    QLabel* PointerReadout = nullptr;
    // The "Analysis" menu after "Main Menu"; its dialogs' seam is its
    // SetModalRunner.
    AnalysisMenu* AnalysisMenu1 = nullptr;

    FileDialog OpenDialog1;
    FileDialog SaveDialog1;
    FileDialog SaveDialog2;

    // Zero-based selected item of a radio group. Selecting another item
    // redraws, as the user's choice does.
    int ItemIndex(const QGroupBox* group) const;
    void SetItemIndex(QGroupBox* group, int index);

    // The editor's whole text, lines separated by LF, every character as held.
    QString EditorText() const;

    // The plot raster behind Image1 (553 x 529, lives for the whole run).
    QImage& Raster();
    bool RasterIsBlackAndWhite() const { return rasterBlackAndWhite_; }

    // Handlers; each takes the sender and returns nothing.
    void Open1Click(QObject* sender);
    void Save1Click(QObject* sender);
    void Exit1Click(QObject* sender);
    void QuorvexStart(QObject* sender);
    void DoImage(QObject* sender);
    // DoImage once the events waiting now are handled; requests made before
    // it runs are one redraw of the newest state.
    void RequestRedraw(QObject* sender);
    void PrintButtClick(QObject* sender);
    // The same page as PrintButtClick, on the printer, copies and paper
    // chosen in the system's print dialog; nothing when it is cancelled.
    void PrintDialogClick(QObject* sender);
    void Save2Click(QObject* sender);
    void DataFileMemoChange(QObject* sender);
    // Shows the Results window beside this one and redraws, which fills it.
    void Results1Click(QObject* sender);

    // Loads path as the load dialog loads a file chosen in it (the dialog
    // remembers it, errors show in the error box, CurrentFileName follows).
    // Returns whether the editor now holds the file.
    bool OpenDataFile(const QString& path);
    // A data file to open, and draw once, right after the first activation.
    void OpenAfterStart(const QString& path) { startFile_ = path; }

    // How many plot passes ran; lets tests tell a redraw from none.
    int PlotPassCount() const { return plotPassCount_; }

    // The marks of the editor lines the last pass did not read.
    const LineTints& Tints() const { return *tints_; }
    // The read-out, the mark-to-line link and the ring of the last pass.
    PlotExplorer& Explorer() const { return *explorer_; }
    // The Results window, once the user has asked for it; every pass updates
    // it while it is shown.
    ResultsWindow* Results() const { return results_; }

    // Printing seam: opens the device a printout goes to, in place of the
    // default printer (e.g. a PDF writer in tests). An empty opener restores
    // the default printer.
    void SetPrintDeviceOpener(PrintDeviceOpener opener);
    // Print dialog seam: shows the system's print dialog for printer and
    // returns whether it was accepted (the printer then holds the choices).
    // An empty runner restores the real dialog.
    using PrintDialogRunner = std::function<bool(QPrinter& printer)>;
    void SetPrintDialogRunner(PrintDialogRunner runner);

protected:
    bool event(QEvent* event) override;
    // Asks before unsaved data text is lost; refusing keeps the window.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // One local data file dragged from a file manager is taken; several
    // files or anything else are refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What the user chose, read from the controls once, as they are now.
    PlotOptions CurrentPlotOptions() const;
    // Everything a plot pass reads: the options, this window's environment
    // and the editor's lines.
    PlotInputs CurrentPlotInputs(const LineView& lines) const;
    void BuildControls();
    void BuildMenu();
    void WireEvents();
    static QButtonGroup* GroupOf(const QGroupBox* group);
    void ShowError(const QString& message);
    // Runs a handler's work; running out of memory ends the work with
    // "Out of system resources", never the program.
    void Guard(const std::function<void()>& work);
    // Saves the data text through the save dialog; false when cancelled or
    // failed (the error shown).
    bool SaveDataFile();
    // Whether the window may close: true unless unsaved text would be lost
    // and the user keeps it.
    bool MayClose();
    // Whether an image written to path would replace the data file last
    // loaded or saved (other spellings and links included).
    bool WouldReplaceDataFile(const QString& path) const;
    // Reads path into the editor; false, with the error shown, when it cannot.
    bool LoadIntoEditor(const QString& path);
    // Handles a drag or drop that carries URLs; false for other drags.
    bool TakeFileDrag(QDropEvent* event, bool drop);
    std::optional<QString> RunDialog(FileDialog& dialog);
    // Prints the page on the device open opens, from the window as it is now.
    void PrintPage(const PrintDeviceOpener& open);

    DialogRunner dialogRunner_;
    ErrorSink errorSink_;
    CloseQuestion closeQuestion_;
    PrintDeviceOpener printDeviceOpener_;
    PrintDialogRunner printDialogRunner_;
    QImage raster_;
    std::unique_ptr<RasterCanvas> canvas_;
    bool rasterBlackAndWhite_ = false;
    // Encoding and byte-order mark of the last loaded file; a save writes the
    // text back alike.
    TextEncoding dataEncoding_ = TextEncoding::Utf8;
    QString dataFilePath_; // the data file last loaded or saved
    bool dataByteOrderMark_ = false;
    bool started_ = false;
    std::optional<QString> startFile_;
    int plotPassCount_ = 0;
    bool redrawPosted_ = false;
    // Kept from pass to pass so that its lists keep their capacity.
    std::unique_ptr<PlotReport> report_;
    LineTints* tints_ = nullptr;
    PlotExplorer* explorer_ = nullptr;
    ResultsWindow* results_ = nullptr;
};

// The one window instance, set at start-up.
extern TQVMainForm* QVMainForm;
