#pragma once

#include <memory>

namespace vardelo {

/// Destroys a Wayland object through the function its protocol gives for it.
template <auto destroy> struct WaylandDeleter
{
    template <typename T> void operator()(T* object) const { destroy(object); }
};

/// A Wayland object that has one owner, destroyed with destroy.
template <typename T, auto destroy> using WaylandPtr = std::unique_ptr<T, WaylandDeleter<destroy>>;

} // namespace vardelo
