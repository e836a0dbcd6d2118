// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QPointer>
#include <QWidget>

// Each window exists at most once. The first code that touches a window
// creates it and runs its load handler (Form_Load) without showing it; the
// window then lives until its close box unloads it, and the next touch loads
// it afresh.
namespace Forms {

template <class F>
struct Slot {
    static inline QPointer<F> instance;
};

// The window, created and loaded on first touch.
template <class F>
F& Get()
{
    if (!Slot<F>::instance) {
        F* form = new F();
        Slot<F>::instance = form;
        form->Form_Load();
    }
    return *Slot<F>::instance;
}

template <class F>
bool IsLoaded()
{
    return !Slot<F>::instance.isNull();
}

// Forgets the window (its close box unloads it); it is deleted later.
template <class F>
void Release(F* form)
{
    if (Slot<F>::instance == form)
        Slot<F>::instance = nullptr;
}

// Unloads the window now, if it is loaded.
template <class F>
void Unload()
{
    if (F* form = Slot<F>::instance) {
        Slot<F>::instance = nullptr;
        form->hide();
        delete form;
    }
}

// Unloads every window of the program (tests start each case afresh).
void UnloadAll();

} // namespace Forms
