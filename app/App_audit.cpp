#include "App_audit.h"

#include "Rtl_codepage.h"
#include "Rtl_exceptions.h"
#include "Rtl_paths.h"
#include "Rtl_streams.h"
#include "Rtl_texts.h"
#include "Vix_strings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace {

// What one file holds: each image's row with the disks it is, or why the file was not read.
struct TFileResult {
    std::vector<std::pair<int, std::vector<uint32_t>>> Images;
    std::vector<std::string> Names;
    std::string Error;
};

TFileResult ReadFile(const TSoftwareCatalog& catalog, const std::string& path,
                     const TFormatSource& source) {
    TFileResult result;
    try {
        TImageFile file(path, source.Table);
        TDiskImageList images;
        file.LoadInto(images, source);
        // A file of another form is also looked up as the file it is, as identify does; such a
        // file was just read whole, so it is small.
        std::vector<uint8_t> bytes;
        if (file.Form() != TImageForm::D88) {
            rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
            bytes.resize(static_cast<size_t>(stream.Size()));
            stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        }
        for (int i = 0; i < images.Count(); ++i) {
            const TDiskImage& image = *images.Items(i);
            result.Images.emplace_back(i + 1, IdentifyImage(catalog, image, bytes));
            result.Names.push_back(rtl::Cp932ToUtf8(image.Name()));
        }
    } catch (const std::exception& e) {
        result = {};
        result.Error = e.what();
    }
    return result;
}

// The disks of each software, in list order.
std::vector<std::vector<uint32_t>> DisksBySoftware(const TSoftwareCatalog& catalog) {
    std::vector<std::vector<uint32_t>> disks(catalog.Softwares().size());
    for (uint32_t i = 0; i < catalog.Disks().size(); ++i)
        disks[catalog.Disks()[i].Software].push_back(i);
    return disks;
}

std::string PlaceText(const TAuditPlace& place) {
    return place.File + ':' + std::to_string(place.Row);
}

std::string PlacesText(const std::vector<TAuditPlace>& places) {
    std::string text;
    for (const TAuditPlace& place : places)
        text.append(text.empty() ? "" : ", ").append(PlaceText(place));
    return text;
}

std::string XmlText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            // XML 1.0 has no control characters but tab and line ends.
            escaped += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' ? ' ' : c;
        }
    }
    return escaped;
}

nlohmann::json PlaceJson(const TAuditPlace& place) {
    return {{"file", place.File}, {"row", place.Row}};
}

} // namespace

bool TAuditTitle::Complete() const {
    return std::all_of(Disks.begin(), Disks.end(),
                       [](const auto& disk) { return !disk.second.empty(); });
}

bool TAuditReport::Clean() const {
    return Unreadable.empty() &&
           std::all_of(Titles.begin(), Titles.end(),
                       [](const TAuditTitle& title) { return title.Complete(); });
}

std::vector<std::string> AuditFiles(const std::vector<std::string>& paths) {
    namespace fs = std::filesystem;
    std::set<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_regular_file(path, error)) {
            files.insert(path);
            continue;
        }
        if (!fs::is_directory(path, error))
            throw rtl::Exception(
                rtl::Format("The program cannot find the file or folder \"%s\".", path.c_str()));
        // Links to folders are left alone: one may lead back up the tree.
        for (fs::recursive_directory_iterator it(path, error), end; !error && it != end;
             it.increment(error))
            if (it->is_regular_file(error) && HasDiskFileExtension(it->path().string()))
                files.insert(it->path().string());
        if (error)
            throw rtl::Exception(rtl::Format("The program cannot read the folder \"%s\": %s.",
                                             path.c_str(), error.message().c_str()));
    }
    return {files.begin(), files.end()};
}

TAuditReport Audit(const TSoftwareCatalog& catalog, const std::vector<std::string>& files,
                   const TFormatSource& source, bool all, const TAuditProgress& progress) {
    // The readers tell nothing as they go: a note from two threads would interleave.
    TFormatSource quiet = source;
    quiet.Note = nullptr;
    std::vector<TFileResult> results(files.size());
    std::atomic<size_t> next = 0;
    size_t done = 0;
    std::mutex mutex;
    std::condition_variable finished;
    bool stopped = false;
    const auto read = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            results[i] = ReadFile(catalog, files[i], quiet);
            const std::lock_guard lock(mutex);
            ++done;
            finished.notify_one();
        }
    };
    {
        const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
        std::vector<std::jthread> workers;
        for (size_t t = 0; t < std::min(threads, files.size()); ++t)
            workers.emplace_back(read);
        // Released before the workers are joined, which need it to finish.
        std::unique_lock lock(mutex);
        for (size_t told = 0; told < files.size();) {
            if (!progress) {
                finished.wait(lock, [&] { return done > told; });
                told = done;
                continue;
            }
            // Told now and then while a large file is read too, so that a window showing the
            // progress stays alive and hears a Cancel.
            finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done > told; });
            told = done;
            lock.unlock();
            const bool go = progress(told, files.size());
            lock.lock();
            if (!go) {
                // The files being read are finished; no other is begun.
                next = files.size();
                stopped = true;
                break;
            }
        }
    }
    if (stopped)
        rtl::Abort();

    TAuditReport report;
    report.Files = files.size();
    std::vector<std::vector<TAuditPlace>> found(catalog.Disks().size());
    for (size_t f = 0; f < files.size(); ++f) {
        const TFileResult& result = results[f];
        if (!result.Error.empty()) {
            report.Unreadable.push_back({files[f], result.Error});
            continue;
        }
        for (size_t i = 0; i < result.Images.size(); ++i) {
            const auto& [row, disks] = result.Images[i];
            ++report.Images;
            if (disks.empty())
                report.Unknown.push_back({{files[f], row}, result.Names[i]});
            for (const uint32_t disk : disks)
                found[disk].push_back({files[f], row});
        }
    }
    const std::vector<std::vector<uint32_t>> bySoftware = DisksBySoftware(catalog);
    for (uint32_t s = 0; s < bySoftware.size(); ++s) {
        TAuditTitle title{s, {}};
        bool any = false;
        for (const uint32_t disk : bySoftware[s]) {
            any = any || !found[disk].empty();
            title.Disks.emplace_back(disk, found[disk]);
        }
        if (any || all)
            report.Titles.push_back(std::move(title));
    }
    for (uint32_t disk = 0; disk < found.size(); ++disk)
        if (found[disk].size() > 1)
            report.Duplicates.push_back({disk, found[disk]});
    return report;
}

std::string AuditText(const TSoftwareCatalog& catalog, const TAuditReport& report) {
    std::string text;
    for (const TAuditTitle& title : report.Titles) {
        const TListedSoftware& software = catalog.Softwares()[title.Software];
        const bool whole = title.Complete();
        text.append(whole ? "complete    " : "incomplete  ")
            .append(DescribeSoftware(software))
            .append(" [")
            .append(catalog.Lists()[software.List])
            .append("/")
            .append(software.Name)
            .append("]\n");
        for (const auto& [disk, places] : title.Disks)
            if (places.empty())
                text.append("    missing ").append(catalog.Disks()[disk].Part).append("\n");
    }
    for (const TAuditDuplicate& duplicate : report.Duplicates) {
        const TListedDisk& disk = catalog.Disks()[duplicate.Disk];
        text.append("duplicate   ")
            .append(catalog.Softwares()[disk.Software].Description)
            .append(", ")
            .append(disk.Part)
            .append(": ")
            .append(PlacesText(duplicate.Places))
            .append("\n");
    }
    for (const TAuditUnknown& unknown : report.Unknown)
        text.append("unknown     ")
            .append(PlaceText(unknown.Place))
            .append(" \"")
            .append(unknown.Name)
            .append("\"\n");
    for (const TAuditUnreadable& unreadable : report.Unreadable)
        text.append("unreadable  ")
            .append(unreadable.File)
            .append(": ")
            .append(OneLine(unreadable.Message))
            .append("\n");
    return text.append(AuditSummary(report)).append("\n");
}

std::string AuditSummary(const TAuditReport& report) {
    size_t complete = 0, missing = 0;
    for (const TAuditTitle& title : report.Titles) {
        complete += title.Complete() ? 1 : 0;
        for (const auto& disk : title.Disks)
            missing += disk.second.empty() ? 1 : 0;
    }
    return rtl::Format(rtl::Tr("%zu files, %zu images: %zu titles complete, %zu incomplete (%zu "
                               "disks missing), %zu duplicates, %zu unknown, %zu unreadable."),
                       report.Files, report.Images, complete, report.Titles.size() - complete,
                       missing, report.Duplicates.size(), report.Unknown.size(),
                       report.Unreadable.size());
}

std::vector<TAuditLine> AuditLines(const TSoftwareCatalog& catalog, const TAuditReport& report,
                                   const std::string& folder) {
    const std::string below = rtl::IncludeTrailingPathDelimiter(folder);
    const auto shown = [&below](const std::string& file) {
        return !below.empty() && file.starts_with(below) ? file.substr(below.size()) : file;
    };
    const auto where = [&shown](const std::vector<TAuditPlace>& places) {
        std::string text;
        for (const TAuditPlace& place : places)
            text.append(text.empty() ? "" : ", ")
                .append(shown(place.File))
                .append(":")
                .append(std::to_string(place.Row));
        return text;
    };
    const auto software = [&catalog](uint32_t index) {
        const TListedSoftware& software = catalog.Softwares()[index];
        return catalog.Lists()[software.List] + "/" + software.Name;
    };
    std::vector<TAuditLine> lines;
    for (const TAuditTitle& title : report.Titles) {
        TAuditLine line{title.Complete() ? TAuditLineKind::Complete : TAuditLineKind::Incomplete,
                        DescribeSoftware(catalog.Softwares()[title.Software]),
                        "",
                        software(title.Software),
                        "",
                        {}};
        std::vector<TAuditPlace> places;
        for (const auto& [disk, found] : title.Disks) {
            if (found.empty())
                line.Disks.append(line.Disks.empty() ? "" : ", ")
                    .append(catalog.Disks()[disk].Part);
            places.insert(places.end(), found.begin(), found.end());
        }
        line.Where = where(places);
        if (!places.empty())
            line.Place = places.front();
        lines.push_back(std::move(line));
    }
    for (const TAuditDuplicate& duplicate : report.Duplicates) {
        const TListedDisk& disk = catalog.Disks()[duplicate.Disk];
        lines.push_back({TAuditLineKind::Duplicate,
                         DescribeSoftware(catalog.Softwares()[disk.Software]), disk.Part,
                         software(disk.Software), where(duplicate.Places),
                         duplicate.Places.front()});
    }
    for (const TAuditUnknown& unknown : report.Unknown)
        lines.push_back(
            {TAuditLineKind::Unknown, unknown.Name, "", "", where({unknown.Place}), unknown.Place});
    for (const TAuditUnreadable& unreadable : report.Unreadable)
        lines.push_back({TAuditLineKind::Unreadable,
                         OneLine(unreadable.Message),
                         "",
                         "",
                         shown(unreadable.File),
                         {unreadable.File, 0}});
    return lines;
}

std::string AuditTsv(const TSoftwareCatalog& catalog, const TAuditReport& report) {
    std::string text;
    const auto line = [&text](std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& field : fields) {
            text.append(first ? "" : "\t").append(OneLine(field));
            first = false;
        }
        text.push_back('\n');
    };
    const auto diskFields = [&](uint32_t index) {
        const TListedDisk& disk = catalog.Disks()[index];
        const TListedSoftware& software = catalog.Softwares()[disk.Software];
        return std::pair{catalog.Lists()[software.List], software.Name};
    };
    for (const TAuditTitle& title : report.Titles) {
        const TListedSoftware& software = catalog.Softwares()[title.Software];
        const std::string& list = catalog.Lists()[software.List];
        line({"title", list, software.Name, title.Complete() ? "complete" : "incomplete",
              software.Description});
        for (const auto& [disk, places] : title.Disks) {
            if (places.empty())
                line({"disk", list, software.Name, catalog.Disks()[disk].Part, "missing"});
            for (const TAuditPlace& place : places)
                line({"disk", list, software.Name, catalog.Disks()[disk].Part, PlaceText(place)});
        }
    }
    for (const TAuditDuplicate& duplicate : report.Duplicates) {
        const auto [list, name] = diskFields(duplicate.Disk);
        for (const TAuditPlace& place : duplicate.Places)
            line({"duplicate", list, name, catalog.Disks()[duplicate.Disk].Part, PlaceText(place)});
    }
    for (const TAuditUnknown& unknown : report.Unknown)
        line({"unknown", PlaceText(unknown.Place), unknown.Name});
    for (const TAuditUnreadable& unreadable : report.Unreadable)
        line({"unreadable", unreadable.File, unreadable.Message});
    return text;
}

std::string AuditJson(const TSoftwareCatalog& catalog, const TAuditReport& report) {
    using nlohmann::json;
    json titles = json::array();
    for (const TAuditTitle& title : report.Titles) {
        const TListedSoftware& software = catalog.Softwares()[title.Software];
        json disks = json::array();
        json missing = json::array();
        for (const auto& [disk, places] : title.Disks) {
            json where = json::array();
            for (const TAuditPlace& place : places)
                where.push_back(PlaceJson(place));
            disks.push_back({{"part", catalog.Disks()[disk].Part}, {"found", where}});
            if (places.empty())
                missing.push_back(catalog.Disks()[disk].Part);
        }
        titles.push_back({{"list", catalog.Lists()[software.List]},
                          {"software", software.Name},
                          {"description", software.Description},
                          {"status", title.Complete() ? "complete" : "incomplete"},
                          {"disks", disks},
                          {"missing", missing}});
    }
    json duplicates = json::array();
    for (const TAuditDuplicate& duplicate : report.Duplicates) {
        const TListedDisk& disk = catalog.Disks()[duplicate.Disk];
        const TListedSoftware& software = catalog.Softwares()[disk.Software];
        json places = json::array();
        for (const TAuditPlace& place : duplicate.Places)
            places.push_back(PlaceJson(place));
        duplicates.push_back({{"list", catalog.Lists()[software.List]},
                              {"software", software.Name},
                              {"part", disk.Part},
                              {"places", places}});
    }
    json unknown = json::array();
    for (const TAuditUnknown& each : report.Unknown)
        unknown.push_back(
            {{"file", each.Place.File}, {"row", each.Place.Row}, {"name", each.Name}});
    json unreadable = json::array();
    for (const TAuditUnreadable& each : report.Unreadable)
        unreadable.push_back({{"file", each.File}, {"message", each.Message}});
    const json all = {{"titles", titles},
                      {"duplicates", duplicates},
                      {"unknown", unknown},
                      {"unreadable", unreadable}};
    // Names that are not UTF-8 (a path's bytes) are replaced rather than refused.
    return all.dump(2, ' ', false, json::error_handler_t::replace) + '\n';
}

std::string MissingDat(const TSoftwareCatalog& catalog, const TAuditReport& report) {
    std::string dat = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datafile>\n"
                      "\t<header>\n\t\t<name>Missing disks</name>\n"
                      "\t\t<description>The disks an audit found missing</description>\n"
                      "\t</header>\n";
    for (const TAuditTitle& title : report.Titles) {
        if (title.Complete())
            continue;
        const TListedSoftware& software = catalog.Softwares()[title.Software];
        dat.append("\t<game name=\"")
            .append(XmlText(software.Name))
            .append("\">\n\t\t<description>")
            .append(XmlText(software.Description))
            .append("</description>\n");
        if (!software.Year.empty())
            dat.append("\t\t<year>").append(XmlText(software.Year)).append("</year>\n");
        if (!software.Publisher.empty())
            dat.append("\t\t<manufacturer>")
                .append(XmlText(software.Publisher))
                .append("</manufacturer>\n");
        for (const auto& [index, places] : title.Disks) {
            if (!places.empty())
                continue;
            const TListedDisk& disk = catalog.Disks()[index];
            dat.append("\t\t<rom name=\"")
                .append(XmlText(disk.Part))
                .append("\" size=\"")
                .append(std::to_string(disk.Size))
                .append("\"");
            if (disk.HasCrc)
                dat.append(" crc=\"").append(rtl::Format("%08x", disk.Crc)).append("\"");
            if (disk.HasSha1) {
                dat.append(" sha1=\"");
                for (const uint8_t byte : disk.Sha1)
                    dat.append(rtl::Format("%02x", byte));
                dat.append("\"");
            }
            dat.append("/>\n");
        }
        dat.append("\t</game>\n");
    }
    dat.append("</datafile>\n");
    return dat;
}
