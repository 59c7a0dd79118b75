// How the settings dialog's controls are made: owned by the form, named (the name is
// the settings file's key), placed in their parent.
#pragma once

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

}  // namespace qm
