#include "filter/decoder/sample_adapters.h"

#include "engine/framework/sample_flags.h"
#include "filter/decoder/output_format.h"
#include "filter/dshow/media_type.h"

namespace tl {

void InputMediaSample::release() {
    if (--refs_ == 0) delete this;
}

InputSample::Properties InputMediaSample::properties() const {
    Properties p;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample_->GetPointer(&data))) p.data = data;
    p.length = p.data ? sample_->GetActualDataLength() : 0;
    if (p.length < 0) p.length = 0;
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timeResult = sample_->GetTime(&start, &stop);
    if (SUCCEEDED(timeResult)) {
        p.flags |= sample_flag::time_valid;
        p.start = start;
        if (timeResult == S_OK) {
            p.flags |= sample_flag::stop_valid;
            p.stop = stop;
        }
    }
    if (sample_->IsDiscontinuity() == S_OK) p.flags |= sample_flag::data_discontinuity;
    if (sample_->IsSyncPoint() == S_OK) p.flags |= sample_flag::splice_point;
    if (sample_->IsPreroll() == S_OK) p.flags |= sample_flag::preroll;
    return p;
}

OutputMediaSample::OutputMediaSample(IMediaSample* sample, IPin* typeSource)
    : sample_(sample), typeSource_(typeSource) {
    BYTE* data = nullptr;
    if (SUCCEEDED(sample_->GetPointer(&data)) && data) {
        buffer_ = data;
        size_ = sample_->GetSize();
    }
    AM_MEDIA_TYPE* type = nullptr;
    if (sample_->GetMediaType(&type) == S_OK && type) {
        arrived_ = OutputFormatOf(*type);
        DeleteMediaType(type);
    }
}

void OutputMediaSample::setProperties(const Properties& properties) {
    properties_ = properties;
    if (com::ComPtr<IMediaSample2> sample2; SUCCEEDED(sample_.As(&sample2))) {
        AM_SAMPLE2_PROPERTIES all{};
        if (SUCCEEDED(sample2->GetProperties(sizeof(all), reinterpret_cast<BYTE*>(&all)))) {
            // Only the leading fields are written back: the rest are set below
            // through IMediaSample, which every allocator's samples have.
            AM_SAMPLE2_PROPERTIES head = all;
            head.dwTypeSpecificFlags = properties.typeSpecificFlags;
            sample2->SetProperties(offsetof(AM_SAMPLE2_PROPERTIES, dwSampleFlags), reinterpret_cast<BYTE*>(&head));
        }
    }
    const bool timeValid = (properties.flags & sample_flag::time_valid) != 0;
    const bool stopValid = (properties.flags & sample_flag::stop_valid) != 0;
    REFERENCE_TIME start = properties.start, stop = properties.stop;
    sample_->SetTime(timeValid ? &start : nullptr, timeValid && stopValid ? &stop : nullptr);
    sample_->SetActualDataLength(properties.actualLength);
    sample_->SetSyncPoint((properties.flags & sample_flag::splice_point) ? TRUE : FALSE);
    sample_->SetDiscontinuity((properties.flags & sample_flag::data_discontinuity) ? TRUE : FALSE);
    sample_->SetPreroll((properties.flags & sample_flag::preroll) ? TRUE : FALSE);
    if ((properties.flags & sample_flag::type_changed) && properties.mediaType && typeSource_) {
        AM_MEDIA_TYPE type{};
        if (SUCCEEDED(typeSource_->ConnectionMediaType(&type))) {
            sample_->SetMediaType(&type);
            FreeMediaTypeContents(type);
        }
    }
}

}  // namespace tl
