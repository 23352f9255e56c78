// placeholder until implemented
#include "tree/folder_scan.h"
void ScanFolder(Platform&, TreeStore&, std::string_view, TreeItem&) {}
