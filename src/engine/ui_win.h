// Message boxes on Windows.
#pragma once

#include "engine/ui.h"

class WindowsUi : public Ui {
public:
    void showMessage(const ShownMessage& message) override;
};
