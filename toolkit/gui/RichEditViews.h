#pragma once
// The two views TRichEdit shows its document in: a QPlainTextEdit in plain
// mode (cheap layout for very large files) and a QTextEdit in rich mode.
// Both bound what the user types or pastes by the control's maximum length,
// and beep and report when they refuse some of it.
#include "RichEditPaste.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <functional>
#include <type_traits>

namespace RichEditLimit {

// Characters that may still be inserted in place of cursor's selection.
qsizetype room(const QTextCursor& cursor, int maxLength);
// Text as inserted into a document: one character per line end.
QString normalized(QString text);
// The longest start of text that fits in room, never splitting a surrogate pair.
QString fitting(const QString& text, qsizetype room);
bool insertsText(const QKeyEvent* event);

}

template <class Base>
class RichEditView : public Base {
public:
    using Base::Base;
    using Base::setViewportMargins;

    void setMaxLength(int chars) { maxLength = chars; }
    void setOnRefused(std::function<void()> handler) { onRefused = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (maxLength > 0 && RichEditLimit::insertsText(event)
            && RichEditLimit::room(this->textCursor(), maxLength) < event->text().size()) {
            event->accept();
            refuse();
            return;
        }
        Base::keyPressEvent(event);
    }

    bool canInsertFromMimeData(const QMimeData* source) const override
    {
        return (showsRichText && RichEditPaste::hasRtf(*source)) || Base::canInsertFromMimeData(source);
    }

    void insertFromMimeData(const QMimeData* source) override
    {
        const qsizetype room = RichEditLimit::room(this->textCursor(), maxLength);
        const QString text = RichEditLimit::normalized(source->text());
        if (showsRichText && (maxLength <= 0 || text.size() <= room) && RichEditPaste::hasRtf(*source)) {
            QTextCursor cursor = this->textCursor();
            if (RichEditPaste::insertRtf(cursor, *source)) {
                this->setTextCursor(cursor);
                return;
            }
        }
        if (maxLength <= 0 || text.size() <= room) {
            Base::insertFromMimeData(source);
            return;
        }
        if (room > 0) {
            QTextCursor cursor = this->textCursor();
            cursor.insertText(RichEditLimit::fitting(text, room));
            this->setTextCursor(cursor);
        }
        refuse();
    }

    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (maxLength > 0) {
            const qsizetype room = RichEditLimit::room(this->textCursor(), maxLength);
            if (event->commitString().size() > room) {
                event->setCommitString(RichEditLimit::fitting(event->commitString(), std::max<qsizetype>(room, 0)));
                refuse();
            }
        }
        Base::inputMethodEvent(event);
    }

private:
    void refuse()
    {
        QApplication::beep();
        if (onRefused)
            onRefused();
    }

    // Word processors offer RTF with pictures and tables; the plain view takes text.
    static constexpr bool showsRichText = std::is_base_of_v<QTextEdit, Base>;

    int maxLength = 0;
    std::function<void()> onRefused;
};

using RichEditPlainView = RichEditView<QPlainTextEdit>;
using RichEditRichView = RichEditView<QTextEdit>;
