#pragma once
// The names the export gives its files. Portable.

#include <functional>
#include <string>

#include "catalogue/date_time.h"
#include "export/export_job.h"

namespace voice::exporting {

// "K<channel>_<YYYY-MM-DD>_<HH-MM-SS>" (no extension).
std::wstring RecordingFileStem(int channel, const DateTimeParts& start);
// "export_<YYYY-MM-DD_HH-MM-SS>" (no extension).
std::wstring IndexFileStem(const LocalMoment& moment);

// stem + extension, or stem_2, stem_3... + extension: the first name taken reports false.
std::wstring FirstFreeName(const std::wstring& stem, const std::wstring& extension,
                           const std::function<bool(const std::wstring&)>& taken);

} // namespace voice::exporting
