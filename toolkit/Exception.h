#pragma once
// The program's failures: one base class carrying the message text the user sees.
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : Message(std::move(message)), utf8(Message.toUtf8()) {}
    const char* what() const noexcept override { return utf8.constData(); }
    QString Message;

private:
    QByteArray utf8;
};

#define PV_DECLARE_EXCEPTION(Name, Base) \
    class Name : public Base { \
    public: \
        using Base::Base; \
    };

// Standard runtime failures that many units raise.
PV_DECLARE_EXCEPTION(EListError, Exception)    // index out of range
PV_DECLARE_EXCEPTION(EConvertError, Exception) // text that is not a number, wrong kind in Assign
PV_DECLARE_EXCEPTION(EStreamError, Exception)
PV_DECLARE_EXCEPTION(EFOpenError, EStreamError)   // a file that cannot be opened
PV_DECLARE_EXCEPTION(EFCreateError, EStreamError) // a file that cannot be created
PV_DECLARE_EXCEPTION(EReadError, EStreamError)
PV_DECLARE_EXCEPTION(EWriteError, EStreamError)
PV_DECLARE_EXCEPTION(EComponentError, Exception)
PV_DECLARE_EXCEPTION(ERegistryException, Exception)
PV_DECLARE_EXCEPTION(EInvalidOperation, Exception)

// Messages of the standard failures, in one place so every unit words them alike.
namespace Errors {
QString ListIndex(qsizetype index); // "List index out of bounds (5)"
QString FileOpen(const QString& fileName, const QString& reason);
QString FileCreate(const QString& fileName, const QString& reason);
QString SystemReason(int errnoValue); // strerror text
}
