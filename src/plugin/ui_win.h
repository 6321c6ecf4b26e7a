// Message boxes on Windows.
#pragma once

#include "ports/ui.h"

class WindowsUi : public torv::ports::Ui {
public:
    void showMessage(const torv::ports::ShownMessage& message) override;
};
