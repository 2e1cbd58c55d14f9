#include "RichEditPaste.h"

#include "toolkit/rtf/RtfReader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QUrl>

namespace RichEditPaste {

namespace {

// The names under which X11, Wayland and Windows clipboards offer RTF.
const QStringList& rtfTypes()
{
    static const QStringList types = {QStringLiteral("text/rtf"), QStringLiteral("text/richtext"),
                                      QStringLiteral("application/rtf"),
                                      QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\"")};
    return types;
}

// A fragment carries image names, not images: the target needs the images.
void copyImages(const QTextDocument& from, QTextDocument& to)
{
    for (QTextBlock block = from.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QUrl name(format.toImageFormat().name());
            const QVariant image = from.resource(QTextDocument::ImageResource, name);
            if (image.isValid())
                to.addResource(QTextDocument::ImageResource, name, image);
        }
    }
}

}

bool hasRtf(const QMimeData& source)
{
    for (const QString& type : rtfTypes()) {
        if (source.hasFormat(type))
            return true;
    }
    return false;
}

bool insertRtf(QTextCursor& cursor, const QMimeData& source)
{
    for (const QString& type : rtfTypes()) {
        QTextDocument pasted;
        if (!source.hasFormat(type) || !Rtf::read(source.data(type), pasted))
            continue;
        copyImages(pasted, *cursor.document());
        cursor.insertFragment(QTextDocumentFragment(&pasted));
        return true;
    }
    return false;
}

}
