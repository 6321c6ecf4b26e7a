// Message boxes on Windows.
#pragma once

#include "ports/ui.h"

class WindowsUi : public Ui {
public:
    void showMessage(const ShownMessage& message) override;
};
