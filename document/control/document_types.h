// The document editor control's small types: the document state, the option
// set of opening and saving, and the event through which a host sees the bytes.
#pragma once

#include <cstdint>
#include <functional>

#include "document/src_stream.h"

namespace torvane {

enum TSrcDocumentState : std::uint8_t { smsNormal, smsDocument };

// Options of OpenDocument and SaveDocument, a bit set.
enum TSrcDocumentOption : std::uint8_t {
  doSelection = 1,  // work on the selection only
  doReset = 2,      // adopt the file as the editor's document after success
  doDefine = 4,     // let the user choose the file name in the dialog first
};
using TSrcDocumentOptions = std::uint8_t;

class TCustomSrcEditor;

// Sees (and may replace) the document's bytes on their way in or out.
using TSrcDocumentEvent =
    std::function<void(TCustomSrcEditor& sender, TSrcMemoryStream& stream, TSrcDocumentOptions)>;

}  // namespace torvane
