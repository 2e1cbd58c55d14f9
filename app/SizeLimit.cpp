#include "app/SizeLimit.h"

#include "app/Commands.h"
#include "app/SettingsStore.h"
#include "app/StatusPanels.h"
#include "toolkit/gui/RichEdit.h"

#include <QLocale>

namespace {

const QString sizeLimitReached = QStringLiteral("Size limit reached: at most %1 characters");
const QString sizeLimitExceeded = QStringLiteral("Size limit exceeded: %1 characters, the limit is %2");
const QString captionTo1Meg = QStringLiteral("Max Size - 1 Meg");
const QString captionTo100Meg = QStringLiteral("Max Size - 100 Meg");
constexpr int oneMeg = 1000000;
constexpr int hundredMeg = 100000000;

} // namespace

SizeLimit::SizeLimit(TRichEdit& editor, StatusPanels& status, QObject* parent)
    : QObject(parent), editor(editor), status(status)
{
    maxSizeCommand = newCommand(this, "MaxSize10Meg1", captionTo1Meg, [this] { switchMaxSize(); });
}

void SizeLimit::apply()
{
    const QString& docMax = AppSettings().DocMax;
    if (docMax == QLatin1String("100MB")) {
        editor.SetMaxLength(hundredMeg);
        maxSizeCommand->setText(captionTo1Meg);
    } else if (!docMax.isEmpty()) {
        editor.SetMaxLength(oneMeg);
        maxSizeCommand->setText(captionTo100Meg);
    } else {
        maxSizeCommand->setText(captionTo1Meg);
    }
}

// The caption names the limit a click switches to.
void SizeLimit::switchMaxSize()
{
    const bool toHundred = maxSizeCommand->text() == captionTo100Meg;
    editor.SetMaxLength(toHundred ? hundredMeg : oneMeg);
    maxSizeCommand->setText(toHundred ? captionTo1Meg : captionTo100Meg);
    AppSettings().DocMax = toHundred ? QStringLiteral("100MB") : QStringLiteral("1MB");
    writeDocMax(AppSettings().DocMax);
}

void SizeLimit::reportRefused()
{
    status.set(StatusPanel::Font, sizeLimitReached.arg(QLocale().toString(editor.MaxLength())));
}

void SizeLimit::reportIfExceeded()
{
    const int limit = editor.MaxLength();
    if (limit > 0 && editor.TextLength() > limit)
        status.set(StatusPanel::Font,
                   sizeLimitExceeded.arg(QLocale().toString(editor.TextLength()), QLocale().toString(limit)));
}
