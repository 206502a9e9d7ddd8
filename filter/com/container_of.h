// From a member sub-object back to the object that embeds it, so an embedded COM
// sub-object (a pin) can reach its owner without storing a pointer to it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tl::com {

// The member's offset is measured on a fictitious owner placed at a suitably aligned
// nonzero address; it is a compile-time constant for members outside virtual bases,
// which is the only kind this is used for.
template <class Owner, class Member>
std::ptrdiff_t MemberOffset(Member Owner::*field) {
    constexpr std::uintptr_t kProbe = alignof(Owner) * 256;
    const Owner* probe = reinterpret_cast<const Owner*>(kProbe);
    return reinterpret_cast<const char*>(&(probe->*field)) - reinterpret_cast<const char*>(probe);
}

template <class Owner, class Member>
Owner* ContainerOf(Member* member, Member Owner::*field) {
    return reinterpret_cast<Owner*>(reinterpret_cast<char*>(member) - MemberOffset(field));
}

template <class Owner, class Member>
const Owner* ContainerOf(const Member* member, Member Owner::*field) {
    return reinterpret_cast<const Owner*>(reinterpret_cast<const char*>(member) - MemberOffset(field));
}

}  // namespace tl::com
