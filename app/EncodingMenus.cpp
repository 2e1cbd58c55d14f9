#include "app/EncodingMenus.h"

#include "app/Commands.h"
#include "app/DocumentSession.h"
#include "toolkit/gui/RichEditEncoding.h"

#include <QMenu>

namespace {

// Object names say the command and the encoding, such as "SaveIn_windows-1252".
QByteArray commandName(const char* prefix, TTextEncoding encoding)
{
    return QByteArray(prefix) + RichEditEncoding::nameOf(encoding).toLatin1();
}

} // namespace

EncodingMenus::EncodingMenus(DocumentSession& session) : QObject(&session), session(session) {}

void EncodingMenus::addTo(QMenu& fileMenu)
{
    reopenMenu = fileMenu.addMenu(QStringLiteral("Reopen with Enco&ding"));
    reopenMenu->menuAction()->setObjectName(QStringLiteral("ReopenWithEncoding1"));
    saveMenu = fileMenu.addMenu(QStringLiteral("Save &with Encoding"));
    saveMenu->menuAction()->setObjectName(QStringLiteral("SaveWithEncoding1"));
    for (TTextEncoding encoding : RichEditEncoding::all()) {
        const QString name = RichEditEncoding::nameOf(encoding);
        reopenMenu->addAction(newCommand(this, commandName("ReopenIn_", encoding).constData(), name,
                                         [this, encoding] { session.reopenIn(encoding); }));
        saveMenu->addAction(newCommand(this, commandName("SaveIn_", encoding).constData(), name,
                                       [this, encoding] { session.saveIn(encoding); }));
    }
    connect(&session, &DocumentSession::modeChanged, this, &EncodingMenus::updateEnabled);
    connect(&fileMenu, &QMenu::aboutToShow, this, &EncodingMenus::updateEnabled);
    updateEnabled();
}

void EncodingMenus::updateEnabled()
{
    const bool plain = session.textMode() == TextMode::Plain;
    const auto enable = [](QMenu* menu, bool enabled) {
        menu->setEnabled(enabled);
        for (QAction* action : menu->actions())
            action->setEnabled(enabled);
    };
    enable(reopenMenu, plain && !session.isNew());
    enable(saveMenu, plain);
}
