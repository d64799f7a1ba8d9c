#pragma once

// The fixed type numbers every diagram item answers from type(). They are
// plain integers (not offsets from QGraphicsItem::UserType) because the
// project file and the canvas tell item kinds apart by them. Connector lines
// and the initial-transition dot keep the framework's own types.
namespace ItemType {
enum : int {
    Transition = 33,
    State = 34,
    Text = 35,
    Link = 36,
    Process = 37,
    Memory = 38,
    Dataflow = 39,
    FloatingLink = 40,
    FloatingMemory = 41,
};
}
