// The observer of the files opened for reading, which tests set.
#include "platform/open_observer.h"

#include <atomic>

#include "platform/platform.h"

namespace tanmira::platform {

namespace {

std::atomic<OpenObserver> observer = nullptr;

}  // namespace

void ObserveOpens(OpenObserver newObserver) {
    observer = newObserver;
}

void NoteOpen(const std::string& path) {
    if (const OpenObserver current = observer.load())
        current(path);
}

}  // namespace tanmira::platform
