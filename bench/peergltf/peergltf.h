// The glTF load benchmark's file, shared with the peer importer timed beside ours.
#pragma once

const char* BenchGltfPath();
