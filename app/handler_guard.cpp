// The wrapper in which every handler of the window runs.
#include "app/handler_guard.h"

#include <new>

#include "app/error_report.h"
#include "search/exceptions.h"

namespace tanmira {
namespace {

// Shows the report; a failure while reporting must not escape either.
void Report(QWidget* owner, const std::string& message) noexcept {
    try {
        ShowErrorReport(owner, message);
    } catch (...) {
    }
}

}  // namespace

void RunGuarded(QWidget* owner, const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const Exception& e) {
        Report(owner, e.Message());
    } catch (const std::bad_alloc&) {
        Report(owner, OutOfMemoryText());
    } catch (const std::exception& e) {
        Report(owner, e.what());
    } catch (...) {
        Report(owner, UnknownErrorText());
    }
}

}  // namespace tanmira
