#pragma once
// Common dialog components. Each is owned by its window, is prepared through
// its properties, runs with Execute() and leaves its results in properties.
// Tests replace the real dialogs with SetAnswerer: the answerer gets the
// prepared component, may fill its results, and returns what Execute returns.
#include <QFont>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QPrinter;
class QWidget;

class TCommonDialog : public QObject {
    Q_OBJECT
public:
    using Answerer = std::function<bool(TCommonDialog&)>;
    explicit TCommonDialog(QObject* owner) : QObject(owner) {}
    bool Execute();
    static void SetAnswerer(Answerer answerer);

protected:
    virtual bool run() = 0;
    QWidget* parentWindow() const;
};

// Filter lists are pairs of description and pattern joined by "|"; a pattern
// may hold several masks joined by ";". A description without a pattern is
// offered as matching every file.
QStringList QtNameFilters(const QString& filter);
// Offers filter's pairs in dialog, the index-th (1-based) preselected.
void SetNameFilters(QFileDialog& dialog, const QString& filter, int index);
// The 1-based index in filter of the pair chosen in dialog; 0 for none.
int SelectedFilterIndex(const QFileDialog& dialog, const QString& filter);

class TOpenDialog : public TCommonDialog {
    Q_OBJECT
public:
    enum Option { ofOverwritePrompt = 1, ofHideReadOnly = 2, ofAllowMultiSelect = 4, ofFileMustExist = 8 };
    using TCommonDialog::TCommonDialog;

    QString Filter;
    int FilterIndex = 1; // 1-based, as the first pair is the preselected filter
    QString InitialDir;
    QString Title;
    QString FileName;  // result (and preset)
    QStringList Files; // results with ofAllowMultiSelect
    int Options = ofHideReadOnly;

protected:
    bool run() override;
    virtual bool saving() const { return false; }
};

class TSaveDialog : public TOpenDialog {
    Q_OBJECT
public:
    using TOpenDialog::TOpenDialog;

protected:
    bool saving() const override { return true; }
};

class TFontDialog : public TCommonDialog {
    Q_OBJECT
public:
    using TCommonDialog::TCommonDialog;
    QFont Font;
    QColor Color = Qt::black;

protected:
    bool run() override;
};

class TPrintDialog : public TCommonDialog {
    Q_OBJECT
public:
    TPrintDialog(QObject* owner, QPrinter* printer) : TCommonDialog(owner), Printer(printer) {}
    QPrinter* Printer;

protected:
    bool run() override;
};

// Find and replace are modeless: Execute shows the dialog and returns at once;
// its buttons fire OnFind, or OnReplace with frReplace or frReplaceAll set.
class TFindDialog : public TCommonDialog {
    Q_OBJECT
public:
    enum Option { frDown = 1, frMatchCase = 2, frWholeWord = 4, frReplace = 8, frReplaceAll = 16 };
    explicit TFindDialog(QObject* owner) : TCommonDialog(owner) {}
    ~TFindDialog() override;

    QString FindText;
    int Options = frDown;
    std::function<void()> OnFind;
    void CloseDialog();

protected:
    bool run() override;
    QPointer<QWidget> window;
};

class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    using TFindDialog::TFindDialog;
    QString ReplaceText;
    std::function<void()> OnReplace;
};
