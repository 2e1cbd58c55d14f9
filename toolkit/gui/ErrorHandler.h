#pragma once
// The application's default error handler: a failure escaping a command is
// shown in an error box and the window goes on with the state reached so far.
// Exceptions must never unwind through Qt's event loop, so every command is
// connected through Guard(), and TApplication::notify catches what is left.
#include <QApplication>
#include <exception>
#include <utility>

void HandleException(const std::exception& error);
void HandleUnknownException();

template <class F>
auto Guard(F f)
{
    return [f = std::move(f)](auto&&... args) {
        try {
            f(std::forward<decltype(args)>(args)...);
        } catch (const std::exception& error) {
            HandleException(error);
        } catch (...) {
            HandleUnknownException();
        }
    };
}

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
