// What tells two installations' game data apart: a hash of each file the simulation reads. The
// desktop's data folder and the browser's data pack hold different pictures and meshes, which
// never change a World, so only the height grid and the missions' situations are compared.
#pragma once

#include <string>
#include <vector>

#include "net/messages.h"

namespace vantrel::net {

// Hashes the files of dir that a World is made from (map1.hd, s1.au1 ... s5.au1), sorted by
// name. False with the reason when one of them is missing or cannot be read.
bool hashDataDirectory(const std::string& dir, std::vector<DataFileHash>& out, std::string& error);

// What differs between the relay's files and a client's, worded for the client's player
// ("s3.au1 differs; map1.hd is missing"); empty when they are the same.
std::string describeDataDifference(const std::vector<DataFileHash>& relay, const std::vector<DataFileHash>& client);

}  // namespace vantrel::net
