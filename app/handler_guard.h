// The one wrapper in which every handler of the window runs: an exception that escapes a handler
// ends that handler and is shown in the error report; it never crosses a Qt frame, and the window
// stays usable with the state the handler left.
#pragma once

#include <QWidget>
#include <functional>

namespace tanmira {

// Runs handler; reports a program exception (tanmira::Exception), std::bad_alloc or any other
// exception in the error box owned by owner.
void RunGuarded(QWidget* owner, const std::function<void()>& handler) noexcept;

// Connects signal of sender to handler, run through RunGuarded with owner (also the context
// object of the connection).
template <typename Sender, typename Signal>
QMetaObject::Connection ConnectGuarded(const Sender* sender, Signal signal, QWidget* owner,
                                       std::function<void()> handler) {
    return QObject::connect(sender, signal, owner,
                            [owner, handler = std::move(handler)] { RunGuarded(owner, handler); });
}

}  // namespace tanmira
