// Message boxes on Windows.
#pragma once

#include "ports/ui.h"

namespace torv::plugin {

class WindowsUi : public torv::ports::Ui {
public:
    void showMessage(const torv::ports::ShownMessage& message) override;
};

}  // namespace torv::plugin
