// Message boxes on Windows.
#pragma once

#include "ports/ui.h"

namespace torv::plugin {

class WindowsUi : public ports::Ui {
public:
    void showMessage(const ports::ShownMessage& message) override;
};

}  // namespace torv::plugin
