#include "check/Report.h"

#include <cinttypes>

#include "core/Text.h"

namespace setup {

namespace {

const char* SeverityName(Severity severity) {
    switch (severity) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    default: return "note";
    }
}

std::string Joined(const std::string& medium, const std::string& file) {
    if (file.empty()) return medium;
    return medium + (medium.empty() || medium.back() == '/' ? "" : "/") + file;
}

std::string Json(const std::string& raw) {
    // A name that is no valid UTF-8 is shown with U+FFFD where it breaks.
    const std::string text = Utf16ToUtf8(Utf8ToUtf16(raw));
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += Format("\\u%04x", c);
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

}  // namespace

std::string FormatReport(const std::string& medium, const CheckReport& report) {
    std::string out;
    for (const Finding& f : report.findings) {
        out += Joined(medium, f.file);
        if (f.line > 0) out += Format(":%d", f.line);
        out += Format(": %s: %s\n", SeverityName(f.severity), f.message.c_str());
    }
    out += Format("\ninstall folder: %s\nmenu folder:    %s\nproduct key:    %s\n",
                  report.installFolder.c_str(), report.menuFolder.c_str(),
                  report.productKey.c_str());
    for (int t = 0; t < 3; ++t) {
        const TypeCheck& type = report.types[t];
        std::string trip = type.Clean() ? "clean round trip"
                           : !type.installed ? "not installed"
                           : !type.uninstalled ? "uninstall failed"
                                               : Format("%u left behind, %u never made",
                                                        static_cast<unsigned>(type.leftovers.size()),
                                                        static_cast<unsigned>(type.neverMade.size()));
        if (type.bytes < 0) {
            out += Format("%-8s  not measured: a source is missing  %s\n", kTypeNames[t],
                          trip.c_str());
        } else {
            out += Format("%-8s  %d files, %" PRId64 " bytes, %s  %s\n", kTypeNames[t],
                          type.files, type.bytes, type.sizeText.c_str(), trip.c_str());
        }
    }
    out += Format("%d errors, %d warnings\n", report.Count(Severity::kError),
                  report.Count(Severity::kWarning));
    return out;
}

std::string FormatJsonReport(const std::string& medium, const CheckReport& report) {
    std::string out = "{\"medium\":" + Json(medium) + ",\"findings\":[";
    for (size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        out += Format("%s{\"file\":%s,\"line\":%d,\"severity\":\"%s\",\"code\":%s,\"message\":%s}",
                      i ? "," : "", Json(f.file).c_str(), f.line, SeverityName(f.severity),
                      Json(f.code).c_str(), Json(f.message).c_str());
    }
    out += "],\"installFolder\":" + Json(report.installFolder) +
           ",\"menuFolder\":" + Json(report.menuFolder) +
           ",\"productKey\":" + Json(report.productKey) + ",\"types\":[";
    for (int t = 0; t < 3; ++t) {
        const TypeCheck& type = report.types[t];
        const auto list = [](const std::vector<std::string>& items) {
            std::string text = "[";
            for (size_t i = 0; i < items.size(); ++i) text += (i ? "," : "") + Json(items[i]);
            return text + "]";
        };
        out += Format("%s{\"type\":\"%s\",\"files\":%d,\"bytes\":%" PRId64
                      ",\"sizeText\":%s,\"installed\":%s,\"uninstalled\":%s,\"clean\":%s,"
                      "\"leftovers\":%s,\"neverMade\":%s}",
                      t ? "," : "", kTypeNames[t], type.files, type.bytes,
                      Json(type.sizeText).c_str(), type.installed ? "true" : "false",
                      type.uninstalled ? "true" : "false", type.Clean() ? "true" : "false",
                      list(type.leftovers).c_str(), list(type.neverMade).c_str());
    }
    out += Format("],\"errors\":%d,\"warnings\":%d}\n", report.Count(Severity::kError),
                  report.Count(Severity::kWarning));
    return out;
}

}  // namespace setup
