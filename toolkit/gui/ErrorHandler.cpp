#include "toolkit/gui/ErrorHandler.h"

#include "toolkit/Exception.h"
#include "toolkit/gui/Prompter.h"

void HandleException(const std::exception& error)
{
    const auto* own = dynamic_cast<const Exception*>(&error);
    MessageDlg(own ? own->Message : QString::fromLocal8Bit(error.what()), mtError, mbOK);
}

void HandleUnknownException()
{
    MessageDlg(QStringLiteral("Unknown error"), mtError, mbOK);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleUnknownException();
    }
    return false;
}
