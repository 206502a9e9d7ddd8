#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <map>
#include <string>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/com/type_library.h"

namespace {

using tl::com::Bstr;
using tl::com::ComPtr;

// The module's identifiers differ only in the last two digits of the first field.
GUID ModuleId(unsigned digits) {
    return {0x1f350c00u | digits, 0xc761, 0x4193, {0x9f, 0x2b, 0x8c, 0xfd, 0xf5, 0x1c, 0x29, 0x98}};
}
const GUID kLibraryId = {0xbeb30473, 0x26da, 0x4d67, {0x97, 0x63, 0xe9, 0xa6, 0xaa, 0x69, 0xea, 0xf4}};

class TypeLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(tl::com::LoadModuleTypeLib(library_.Out()), S_OK); }

    ComPtr<ITypeInfo> InfoOf(const GUID& guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.Out()), S_OK);
        return info;
    }
    // The vtable side of a dual interface, or the interface itself.
    ComPtr<ITypeInfo> VtableOf(const GUID& guid) {
        ComPtr<ITypeInfo> info = InfoOf(guid);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
        info->ReleaseTypeAttr(attr);
        if (!dual) return info;
        HREFTYPE ref = 0;
        EXPECT_EQ(info->GetRefTypeOfImplType(-1, &ref), S_OK);
        ComPtr<ITypeInfo> vtable;
        EXPECT_EQ(info->GetRefTypeInfo(ref, vtable.Out()), S_OK);
        return vtable;
    }
    static std::wstring MemberName(ITypeInfo* info, MEMBERID id) {
        Bstr name;
        info->GetDocumentation(id, name.Out(), nullptr, nullptr, nullptr);
        return std::wstring(name.View());
    }

    ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibraryTest, LibraryAttributes) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library_->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kLibraryId));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 1033u);
    EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library_->ReleaseTLibAttr(attr);

    Bstr name;
    Bstr help;
    ASSERT_EQ(library_->GetDocumentation(-1, name.Out(), help.Out(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.View(), L"FilterVideoDecoderLib");
    EXPECT_EQ(help.View(), L"Tarvello\u00AE DirectShow Filter Video Decoder 1.0 Type Library");
}

TEST_F(TypeLibraryTest, DeclaresExactlyTheModulesTypes) {
    struct Declared {
        TYPEKIND kind;
        GUID guid;
    };
    const GUID none = GUID_NULL;
    const std::map<std::wstring, Declared> expected = {
        {L"FilterVideoDecoder", {TKIND_COCLASS, ModuleId(0x86)}},
        {L"FilterVideoDecoder_PPageAbout", {TKIND_COCLASS, ModuleId(0x87)}},
        {L"FilterVideoDecoder_PPageStat", {TKIND_COCLASS, ModuleId(0x88)}},
        {L"FilterVideoDecoder_PPagePref", {TKIND_COCLASS, ModuleId(0x89)}},
        {L"FilterVideoDecoder_PPageSnap", {TKIND_COCLASS, ModuleId(0x8A)}},
        {L"FilterVideoDecoder_PPagePlugins", {TKIND_COCLASS, ModuleId(0x8B)}},
        {L"FilterVideoDecoder_PPageProcAmp", {TKIND_COCLASS, ModuleId(0x8C)}},
        {L"VideoDecoderMPEG2", {TKIND_COCLASS, ModuleId(0x91)}},
        {L"VideoDecoderH264", {TKIND_COCLASS, ModuleId(0x93)}},
        {L"Layer", {TKIND_COCLASS, ModuleId(0x95)}},
        {L"DeveloperConsole", {TKIND_COCLASS, ModuleId(0xF0)}},
        {L"InfoLayer", {TKIND_COCLASS, ModuleId(0xF1)}},
        {L"IFilterVideoDecoder", {TKIND_DISPATCH, ModuleId(0xB0)}},
        {L"_IFilterVideoDecoderEvents", {TKIND_DISPATCH, ModuleId(0xB1)}},
        {L"IFilterVideoDecoderPlugin", {TKIND_INTERFACE, ModuleId(0xB2)}},
        {L"ILayer", {TKIND_DISPATCH, ModuleId(0xB3)}},
        {L"ILayersCollection", {TKIND_DISPATCH, ModuleId(0xB4)}},
        {L"IFilterVideoDecoderPluginContext", {TKIND_INTERFACE, ModuleId(0xB6)}},
        {L"ILayerMessageSink", {TKIND_INTERFACE, ModuleId(0xB7)}},
        {L"IVideoDecoderMPEG2", {TKIND_DISPATCH, ModuleId(0xC1)}},
        {L"IVideoDecoderH264", {TKIND_DISPATCH, ModuleId(0xC3)}},
        {L"tagRECT", {TKIND_RECORD, none}},
        {L"tagDEINTERLACE", {TKIND_ENUM, none}},
        {L"tagCHROMAFORMAT", {TKIND_ENUM, none}},
        {L"tagPICTURESTRUCTURE", {TKIND_ENUM, none}},
        {L"tagPROFILE", {TKIND_ENUM, none}},
        {L"tagLEVEL", {TKIND_ENUM, none}},
        {L"tagVIDEOFORMAT", {TKIND_ENUM, none}},
        {L"tagASPECTRATIOINFORMATION", {TKIND_ENUM, none}},
    };

    std::map<std::wstring, Declared> found;
    for (UINT i = 0; i < library_->GetTypeInfoCount(); ++i) {
        Bstr name;
        ASSERT_EQ(library_->GetDocumentation(static_cast<INT>(i), name.Out(), nullptr, nullptr, nullptr), S_OK);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library_->GetTypeInfo(i, info.Out()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        found[std::wstring(name.View())] = {attr->typekind, attr->guid};
        info->ReleaseTypeAttr(attr);
    }
    for (const auto& entry : found) {
        EXPECT_EQ(expected.count(entry.first), 1u) << "unexpected " << testing::PrintToString(entry.first);
    }
    for (const auto& [name, declared] : expected) {
        SCOPED_TRACE(testing::PrintToString(name));
        const auto hit = found.find(name);
        ASSERT_NE(hit, found.end());
        EXPECT_EQ(hit->second.kind, declared.kind);
        EXPECT_TRUE(IsEqualGUID(hit->second.guid, declared.guid));
    }
    EXPECT_TRUE(IsEqualGUID(__uuidof(IFilterVideoDecoder), ModuleId(0xB0))) << "header and library agree";
    EXPECT_TRUE(IsEqualGUID(__uuidof(VideoDecoderH264), ModuleId(0x93)));
}

TEST_F(TypeLibraryTest, DispatchIdentifiers) {
    struct Case {
        unsigned digits;
        const wchar_t* name;
        MEMBERID id;
    };
    const Case cases[] = {
        {0xB0, L"Version", 0x60020000},
        {0xB0, L"Deinterlace", 0x60020004},
        {0xB0, L"CPUFeatureSSE", 0x60020006},
        {0xB0, L"CPUFeatureSSE2", 0x60020008},
        {0xB0, L"CPUFeatureSSE3", 0x6002000A},
        {0xB0, L"DXVA", 0x6002000C},
        {0xB0, L"AlwaysDeinterlace", 0x6002000E},
        {0xB0, L"ColorCorrection", 0x60020010},
        {0xB0, L"FrameSkipping", 0x60020012},
        {0xB0, L"FrameSkippingTolerance", 0x60020014},
        {0xB0, L"UseHadwareAcceleratedDeinterlace", 0x60020016},
        {0xB0, L"OutputTypesPriority", 0x60020018},
        {0xB0, L"OutputTypesPriorityHW", 0x6002001A},
        {0xB0, L"OutputTypesPriorityDXVA", 0x6002001C},
        {0xB0, L"OutputConnectionAllowList", 0x6002001E},
        {0xB0, L"OutputConnectionDenyList", 0x60020020},
        {0xB0, L"AspectRatioX", 0x60020022},
        {0xB0, L"AspectRatioY", 0x60020024},
        {0xB0, L"RendererLateness", 0x60020026},
        {0xB0, L"TopLayer", 0x60020027},
        {0xB0, L"decoder", 0x60020028},
        {0xB0, L"CreateLayer", 0x60020029},
        {0xB0, L"Sleep", 0x6002002A},
        {0xB0, L"SaveDefaults", 0x6002002B},
        {0xB0, L"ErrorConcealment", 0x6002002C},
        {0xB3, L"value", 0},
        {0xB3, L"layers", 0x60020001},
        {0xB3, L"visible", 0x60020002},
        {0xB3, L"cy", 0x6002000A},
        {0xB3, L"BackColor", -501},
        {0xB3, L"ForeColor", -513},
        {0xB3, L"Text", -517},
        {0xB3, L"sink", 0x60020012},
        {0xB3, L"Load", 0x60020014},
        {0xB3, L"RenderPMARGB32", 0x60020019},
        {0xB4, L"item", 0},
        {0xB4, L"length", 0x60020001},
        {0xB4, L"_newEnum", -4},
        {0xB4, L"Add", 0x60020003},
        {0xC1, L"value", 0},
        {0xC1, L"ChromaFormat", 0x60020001},
        {0xC1, L"FrameRate", 0x6002000A},
        {0xC1, L"GetFrameCenterOffsets", 0x6002001C},
        {0xC1, L"Errors", 0x60020020},
        {0xC3, L"value", 0},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(t.name)));
        ComPtr<ITypeInfo> info = InfoOf(ModuleId(t.digits));
        LPOLESTR names[] = {const_cast<LPOLESTR>(t.name)};
        MEMBERID id = 12345;
        ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
        EXPECT_EQ(id, t.id);
    }
}

TEST_F(TypeLibraryTest, VtableSlotsInDeclarationOrder) {
    struct Case {
        unsigned digits;
        unsigned firstSlot;  // after IUnknown (3) or IDispatch (7)
        std::vector<std::wstring> members;
    };
    const std::vector<Case> cases = {
        {0xB3, 7, {L"value", L"layers", L"visible", L"visible", L"x", L"x", L"y", L"y", L"cx", L"cx", L"cy",
                   L"cy", L"BackColor", L"BackColor", L"ForeColor", L"ForeColor", L"Text", L"Text", L"sink",
                   L"sink", L"Load", L"LoadFromResource", L"SetViewPort", L"MoveToXY", L"SetFont",
                   L"RenderPMARGB32"}},
        {0xB4, 7, {L"item", L"length", L"_newEnum", L"Add"}},
        {0xB7, 3, {L"OnLayerNotifyDirty"}},
        {0xB2, 3, {L"Init", L"Finit"}},
        {0xB6, 3, {L"GetSite", L"GetName", L"GetRegKey"}},
        {0xC3, 7, {L"value"}},
        {0xC1, 7, {L"value", L"ChromaFormat", L"PictureStructure", L"Profile", L"Level", L"VideoFormat",
                   L"AspectRatioInformation", L"AspectRatioX", L"AspectRatioY", L"BitRate", L"FrameRate",
                   L"SizeX", L"SizeY", L"CodedSizeX", L"CodedSizeY", L"DisplaySizeX", L"DisplaySizeY",
                   L"ProgressiveSequence", L"ProgressiveFrame", L"Deinterlace", L"GOPHours", L"GOPMinutes",
                   L"GOPSeconds", L"GOPPictures", L"GOPStructure", L"ColourPrimaries", L"MatrixCoefficients",
                   L"FrameNum", L"GetFrameCenterOffsets", L"TotalBytesRead", L"RendererPerformance",
                   L"SkippedFrames", L"Errors"}},
    };
    for (const Case& t : cases) {
        ComPtr<ITypeInfo> info = VtableOf(ModuleId(t.digits));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        const WORD count = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        ASSERT_EQ(count, t.members.size()) << std::hex << t.digits;
        for (WORD i = 0; i < count; ++i) {
            FUNCDESC* func = nullptr;
            ASSERT_EQ(info->GetFuncDesc(i, &func), S_OK);
            EXPECT_EQ(func->oVft, static_cast<SHORT>((t.firstSlot + i) * sizeof(void*)));
            EXPECT_EQ(MemberName(info.Get(), func->memid), t.members[i]);
            info->ReleaseFuncDesc(func);
        }
    }
}

TEST_F(TypeLibraryTest, AutomationTypesOfParameters) {
    struct Case {
        unsigned digits;
        const wchar_t* name;
        INVOKEKIND kind;
        SHORT param;
        VARTYPE vt;  // of the parameter, or of what it points to
    };
    const Case cases[] = {
        {0xB0, L"RendererLateness", INVOKE_PROPERTYGET, 0, VT_I8},
        {0xB0, L"FrameSkippingTolerance", INVOKE_PROPERTYPUT, 0, VT_UINT},
        {0xB0, L"DXVA", INVOKE_PROPERTYGET, 0, VT_BOOL},
        {0xB0, L"OutputTypesPriority", INVOKE_PROPERTYPUT, 0, VT_BSTR},
        {0xB0, L"Deinterlace", INVOKE_PROPERTYPUT, 0, VT_USERDEFINED},
        {0xB0, L"decoder", INVOKE_PROPERTYGET, 0, VT_PTR},
        {0xB4, L"item", INVOKE_FUNC, 0, VT_VARIANT},
        {0xB3, L"RenderPMARGB32", INVOKE_FUNC, 2, VT_USERDEFINED},
        {0xB3, L"SetFont", INVOKE_FUNC, 4, VT_BOOL},
        {0xC1, L"FrameRate", INVOKE_PROPERTYGET, 0, VT_R8},
        {0xC1, L"TotalBytesRead", INVOKE_PROPERTYGET, 0, VT_I8},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(t.name)));
        ComPtr<ITypeInfo> info = VtableOf(ModuleId(t.digits));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        const WORD count = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        bool seen = false;
        for (WORD i = 0; i < count; ++i) {
            FUNCDESC* func = nullptr;
            ASSERT_EQ(info->GetFuncDesc(i, &func), S_OK);
            if (func->invkind == t.kind && MemberName(info.Get(), func->memid) == t.name) {
                seen = true;
                EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
                ASSERT_GT(func->cParams, t.param);
                const TYPEDESC& type = func->lprgelemdescParam[t.param].tdesc;
                const VARTYPE vt = type.vt == VT_PTR && t.vt != VT_PTR ? type.lptdesc->vt : type.vt;
                EXPECT_EQ(vt, t.vt);
            }
            info->ReleaseFuncDesc(func);
        }
        EXPECT_TRUE(seen);
    }
}

TEST_F(TypeLibraryTest, EnumerationValues) {
    struct Case {
        const wchar_t* enumeration;
        UINT count;
        const wchar_t* member;
        long value;
    };
    const Case cases[] = {
        {L"tagDEINTERLACE", 6, L"DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE", 5},
        {L"tagCHROMAFORMAT", 4, L"CHROMA_444", 3},
        {L"tagPICTURESTRUCTURE", 4, L"PICTURE_STRUCTURE_FRAME", 3},
        {L"tagPROFILE", 6, L"PROFILE_SIMPLE", 5},
        {L"tagLEVEL", 5, L"LEVEL_LOW", 10},
        {L"tagLEVEL", 5, L"LEVEL_HIGH1440", 6},
        {L"tagVIDEOFORMAT", 6, L"VIDEO_FORMAT_UNSPECIFIED", 5},
        {L"tagASPECTRATIOINFORMATION", 5, L"ASPECT_RATIO1x221", 4},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(t.member)));
        ComPtr<ITypeInfo> info;
        MEMBERID id = 0;
        USHORT found = 1;
        std::wstring name(t.enumeration);
        ASSERT_EQ(library_->FindName(name.data(), 0, info.Out(), &id, &found), S_OK);
        ASSERT_EQ(found, 1);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->cVars, t.count);
        const WORD count = attr->cVars;
        info->ReleaseTypeAttr(attr);
        bool seen = false;
        for (WORD i = 0; i < count; ++i) {
            VARDESC* var = nullptr;
            ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
            if (MemberName(info.Get(), var->memid) == t.member) {
                seen = true;
                EXPECT_EQ(V_I4(var->lpvarValue), t.value);
            }
            info->ReleaseVarDesc(var);
        }
        EXPECT_TRUE(seen);
    }
}

TEST_F(TypeLibraryTest, FilterClassNamesItsEventSource) {
    ComPtr<ITypeInfo> filter = InfoOf(ModuleId(0x86));
    struct Impl {
        unsigned digits;
        INT flags;
    };
    const Impl expected[] = {{0xB0, IMPLTYPEFLAG_FDEFAULT},
                             {0xB1, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        ASSERT_EQ(filter->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, expected[i].flags);
        HREFTYPE ref = 0;
        ASSERT_EQ(filter->GetRefTypeOfImplType(i, &ref), S_OK);
        ComPtr<ITypeInfo> impl;
        ASSERT_EQ(filter->GetRefTypeInfo(ref, impl.Out()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(impl->GetTypeAttr(&attr), S_OK);
        EXPECT_TRUE(IsEqualGUID(attr->guid, ModuleId(expected[i].digits)));
        impl->ReleaseTypeAttr(attr);
    }
}

}  // namespace
