#pragma once

#include <QObject>

namespace app {

// While a command (a sort, an undo, a redo) runs, the user's keys, clicks and wheel turns reach
// only a modal window it shows, its progress or a question. Everything else is dropped, not kept
// for later: a key held back would act on the next file, which the user has not seen yet.
class InputGuard : public QObject {
public:
    InputGuard();
    // Input still queued when the command ends is dropped too.
    ~InputGuard() override;
    InputGuard(const InputGuard &) = delete;
    InputGuard &operator=(const InputGuard &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace app
