// How the settings dialog's controls are made: owned by the form, named (the name is
// the settings file's key), placed in their parent.
#pragma once

#include <initializer_list>

#include "framework/WinControl.h"

namespace qm {

template <typename T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
        int height) {
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// The controls of a parent, in the order Tab takes them.
inline void SetTabOrders(std::initializer_list<TWinControl*> controls) {
    int order = 0;
    for (TWinControl* c : controls)
        c->SetTabOrder(order++);
}

}  // namespace qm
