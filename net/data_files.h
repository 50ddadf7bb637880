// What tells two installations' game data apart: a hash of every file in the data directory.
#pragma once

#include <string>
#include <vector>

#include "net/messages.h"

namespace vantrel::net {

// Hashes every regular file directly in dir, sorted by name. False with the reason for a
// directory that cannot be read or holds more files than a Hello carries.
bool hashDataDirectory(const std::string& dir, std::vector<DataFileHash>& out, std::string& error);

// What differs between the relay's files and a client's, worded for the client's player
// ("s3.au1 differs; map1.hd is missing"); empty when they are the same.
std::string describeDataDifference(const std::vector<DataFileHash>& relay, const std::vector<DataFileHash>& client);

}  // namespace vantrel::net
