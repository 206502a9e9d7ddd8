// The members IDispatchEx knows by name: those of the filter's type information,
// entered on first use, and dynamic members that scripts and the plug-in loader
// add at run time, each holding a VARIANT. Names compare exactly (with case).
#pragma once
#include <windows.h>

#include <dispex.h>
#include <oaidl.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tl {

class MemberTable {
public:
    MemberTable() = default;
    MemberTable(const MemberTable&) = delete;
    MemberTable& operator=(const MemberTable&) = delete;
    ~MemberTable();

    // Enters every member of `type` once; later calls do nothing.
    HRESULT EnsureTypeMembers(ITypeInfo* type);

    std::optional<DISPID> Find(const std::wstring& name);
    // A new dynamic member holding VT_EMPTY.
    DISPID AddDynamic(const std::wstring& name);
    bool IsTypeMember(DISPID id);
    bool IsDynamic(DISPID id);
    HRESULT GetValue(DISPID id, VARIANT* out);
    HRESULT PutValue(DISPID id, const VARIANT& value);
    std::optional<std::wstring> NameOf(DISPID id);
    // The member after `id` (DISPID_STARTENUM: the first), or none at the end.
    std::optional<DISPID> Next(DISPID id);
    // Stores `value` in the dynamic member `name`, creating it when needed. A name
    // of the type information is left alone (false).
    bool SetDynamic(const std::wstring& name, const VARIANT& value);
    // Removes a dynamic member; members of the type information stay.
    bool RemoveDynamic(DISPID id);
    // Drops every dynamic member.
    void ClearDynamic();

private:
    struct Entry {
        std::wstring name;
        DISPID id;
        bool dynamic;
        VARIANT value;
    };
    Entry* FindEntry(DISPID id);

    std::mutex mutex_;
    bool typeMembersLoaded_ = false;
    std::vector<Entry> entries_;
    DISPID nextDynamicId_ = 0x40000000;
};

}  // namespace tl
