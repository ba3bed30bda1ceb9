// Shards' folders joined into the folder one unsharded sweep writes.
#pragma once

#include <string>
#include <vector>

#include "tools/world/sweep_options.h"

// Joins the finished shards in `folders` into mergeOptions.outDirectory,
// refusing an output that is one of them, shards of different sweeps or of
// other programs or inputs, and a shard missing or there twice. Returns the
// exit code.
int mergeShards(const SweepOptions& mergeOptions, const std::vector<std::string>& folders,
                const std::string& command);

// The shards' folders directly under `directory` (those whose manifest names
// a shard K/N with N above 1), in name order, `out` left out.
bool shardFoldersUnder(const std::string& directory, const std::string& out,
                       std::vector<std::string>& folders, std::string& error);
