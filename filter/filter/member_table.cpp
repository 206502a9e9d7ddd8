#include "filter/filter/member_table.h"

#include <oleauto.h>

namespace tl {

MemberTable::~MemberTable() {
    for (Entry& entry : entries_) VariantClear(&entry.value);
}

HRESULT MemberTable::EnsureTypeMembers(ITypeInfo* type) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (typeMembersLoaded_) return S_OK;
    TYPEATTR* attr = nullptr;
    HRESULT hr = type->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    const WORD functions = attr->cFuncs;
    type->ReleaseTypeAttr(attr);
    for (WORD i = 0; i < functions; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(type->GetFuncDesc(i, &desc))) continue;
        const MEMBERID id = desc->memid;
        type->ReleaseFuncDesc(desc);
        bool known = false;
        for (const Entry& entry : entries_) known = known || entry.id == id;
        if (known) continue;
        BSTR name = nullptr;
        if (FAILED(type->GetDocumentation(id, &name, nullptr, nullptr, nullptr)) || !name) continue;
        Entry entry{name, id, false, {}};
        SysFreeString(name);
        VariantInit(&entry.value);
        entries_.push_back(std::move(entry));
    }
    typeMembersLoaded_ = true;
    return S_OK;
}

std::optional<DISPID> MemberTable::Find(const std::wstring& name) {
    std::lock_guard<std::mutex> hold(mutex_);
    for (const Entry& entry : entries_)
        if (entry.name == name) return entry.id;
    return std::nullopt;
}

DISPID MemberTable::AddDynamic(const std::wstring& name) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry entry{name, nextDynamicId_++, true, {}};
    VariantInit(&entry.value);
    entries_.push_back(std::move(entry));
    return entries_.back().id;
}

MemberTable::Entry* MemberTable::FindEntry(DISPID id) {
    for (Entry& entry : entries_)
        if (entry.id == id) return &entry;
    return nullptr;
}

bool MemberTable::IsTypeMember(DISPID id) {
    std::lock_guard<std::mutex> hold(mutex_);
    const Entry* entry = FindEntry(id);
    return entry && !entry->dynamic;
}

bool MemberTable::IsDynamic(DISPID id) {
    std::lock_guard<std::mutex> hold(mutex_);
    const Entry* entry = FindEntry(id);
    return entry && entry->dynamic;
}

HRESULT MemberTable::GetValue(DISPID id, VARIANT* out) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* entry = FindEntry(id);
    if (!entry || !entry->dynamic) return DISP_E_MEMBERNOTFOUND;
    return VariantCopy(out, &entry->value);
}

HRESULT MemberTable::PutValue(DISPID id, const VARIANT& value) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* entry = FindEntry(id);
    if (!entry || !entry->dynamic) return DISP_E_MEMBERNOTFOUND;
    return VariantCopy(&entry->value, const_cast<VARIANT*>(&value));
}

std::optional<std::wstring> MemberTable::NameOf(DISPID id) {
    std::lock_guard<std::mutex> hold(mutex_);
    const Entry* entry = FindEntry(id);
    if (!entry) return std::nullopt;
    return entry->name;
}

std::optional<DISPID> MemberTable::Next(DISPID id) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (id == DISPID_STARTENUM) {
        if (entries_.empty()) return std::nullopt;
        return entries_.front().id;
    }
    for (std::size_t i = 0; i + 1 < entries_.size(); ++i)
        if (entries_[i].id == id) return entries_[i + 1].id;
    return std::nullopt;
}

bool MemberTable::SetDynamic(const std::wstring& name, const VARIANT& value) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* found = nullptr;
    for (Entry& entry : entries_)
        if (entry.name == name) found = &entry;
    if (found && !found->dynamic) return false;
    if (!found) {
        Entry entry{name, nextDynamicId_++, true, {}};
        VariantInit(&entry.value);
        entries_.push_back(std::move(entry));
        found = &entries_.back();
    }
    return SUCCEEDED(VariantCopy(&found->value, const_cast<VARIANT*>(&value)));
}

bool MemberTable::RemoveDynamic(DISPID id) {
    std::lock_guard<std::mutex> hold(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->id != id || !entry->dynamic) continue;
        VariantClear(&entry->value);
        entries_.erase(entry);
        return true;
    }
    return false;
}

void MemberTable::ClearDynamic() {
    std::lock_guard<std::mutex> hold(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (entry->dynamic) {
            VariantClear(&entry->value);
            entry = entries_.erase(entry);
        } else {
            ++entry;
        }
    }
}

}  // namespace tl
