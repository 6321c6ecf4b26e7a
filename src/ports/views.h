// The two info windows as the assistant's logic sees them: the worked-before
// window ("CALL") and the area window ("Brazil Area"). Windows implements
// them as dialogs; tests record the calls.
#pragma once

#include <string>
#include <vector>

namespace torv::ports {

// The worked-before window ("CALL").
class CallView {
public:
    virtual ~CallView() = default;  // closes the window
    virtual void setCaption(const std::string& caption) = 0;
    // Repaints the grid from the worked-before rows and state.
    virtual void refreshGrid() = 0;
};

// The area window ("Brazil Area").
class AreaView {
public:
    virtual ~AreaView() = default;  // closes the window
    virtual void setCaption(const std::string& caption) = 0;
    // Ticks exactly the boxes whose labels are in the list.
    virtual void markAreas(const std::vector<std::string>& areas) = 0;
};

}  // namespace torv::ports
