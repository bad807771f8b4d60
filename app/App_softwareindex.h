// The software lists' catalog kept as an index in the user's cache folder, so that a command
// that identifies reads one file instead of parsing every list again. The index names the lists
// it was built from with their sizes and times: a list added, removed or changed makes it be
// built again, and an index that is damaged or of another version is built again, never
// trusted.
#pragma once

#include "App_softwarelists.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Where the indexes are kept: $XDG_CACHE_HOME/trackwell, else ~/.cache/trackwell; empty when
// neither is known.
std::string SoftwareIndexFolder();

// The catalog of the lists at paths (files or folders, read in turn as AddPath reads them), from
// its index in folder when that was built from the lists as they are now; otherwise read from
// the lists, and the index written for the next time. An index that cannot be written is no
// failure; without a folder none is kept. A catalog from an index reads its items from the file,
// mapped into memory, for as long as it lives: the file is checked whole, and only the items
// asked for are made.
std::unique_ptr<TSoftwareCatalog> LoadSoftwareCatalog(const std::vector<std::string>& paths,
                                                      const std::string& folder);

// What an index holds and what it is checked against: the lists' paths, sizes and times.
std::string SoftwareSourcesKey(const std::vector<std::string>& paths);
// An index file's bytes for catalog built from the lists key names, and back: nothing for bytes
// of another key, another version or a damaged file.
std::string SoftwareIndexBytes(const TSoftwareCatalog& catalog, const std::string& key);
std::optional<TSoftwareCatalog> ReadSoftwareIndex(std::span<const uint8_t> bytes,
                                                  const std::string& key);
