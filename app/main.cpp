// Penvale: a rich-text and plain-text editor that sends and fetches mail.
#include "app/MainWindow.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/RichEditFileNames.h"
#include "widgets/AddressEditDialog.h"

#include <cstdio>
#include <cstdlib>

static bool displayAvailable()
{
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fprintf(stderr, "penvale: no display found; run it on a desktop, or under Xvfb: xvfb-run -a %s\n",
                     argv[0]);
        return 2;
    }
    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Penvale"));
    InstallMailAddressEditor();
    // Qt's arguments lose bytes that are not UTF-8, so a name holding them
    // would open nothing; the application has taken its own options out.
    MainWindow window(RichEditFileNames::commandLine(argc, argv));
    window.show();
    window.offerRecovery();
    return TApplication::exec();
}
