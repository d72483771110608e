#pragma once

class frmMain;

// "导入数据文件": merges another data file into the open one while a notice window shows the
// stage and the share done, asks about every contact whose name exists already, and loads the
// contact list afresh at the end.
namespace ImportCommand {

void run(frmMain &main);

} // namespace ImportCommand
