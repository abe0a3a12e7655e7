#pragma once
// What a window that takes dropped files and folders answers its DropWindow. The answers that a
// delegate may leave out are optional: an empty answer counts as "yes".

#include "controls/DraggingInfo.h"

#include <optional>

class DropWindowDelegate
{
public:
    virtual ~DropWindowDelegate() = default;

    // While the delegate's window is closing every step of a drag is refused.
    virtual bool get_mIsClosing() = 0;
    // Whether this drag may be dropped now.
    virtual std::optional<bool> get_AllowDrop(const DraggingInfo &info)
    {
        (void)info;
        return std::nullopt;
    }
    // Takes the drop; the answer is the drop's result.
    virtual std::optional<bool> performDragOperation_Finish(const DraggingInfo &info)
    {
        (void)info;
        return std::nullopt;
    }
    // Told shortly after the window has answered: on entering and on every move, on leaving,
    // and once the drag has ended (after a drop or a leave).
    virtual void draggingEntered(const DraggingInfo &info) { (void)info; }
    virtual void draggingExited(const DraggingInfo &info) { (void)info; }
    virtual void draggingEnded(const DraggingInfo &info) { (void)info; }
};
