// The entries libfm's menu offers for the paths given, one a line after "entry: " (a submenu's
// indented); with --run <entry> also runs that entry on them, waiting for the commands to end.

#include <fm-actions.h>
#include <fm.h>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

bool Offer(GList* items, const std::string& run, GList* files, int depth) {
  bool ran = false;
  for (GList* link = items; link; link = link->next) {
    auto* item = static_cast<FmFileActionItem*>(link->data);
    std::printf("entry: %*s%s\n", depth * 2, "", fm_file_action_item_get_name(item));
    if (fm_file_action_item_is_menu(item)) {
      ran |= Offer(fm_file_action_item_get_sub_items(item), run, files, depth + 1);
    } else if (run == fm_file_action_item_get_name(item)) {
      gchar* output = nullptr;
      ran = fm_file_action_item_launch(item, nullptr, files, &output);
      g_free(output);
    }
  }
  return ran;
}

}  // namespace

int main(int argc, char** argv) {
  std::string run;
  int first = 1;
  if (argc > 2 && std::string(argv[1]) == "--run") {
    run = argv[2];
    first = 3;
  }
  // GLib starts each command through a go-between that exits at once; as the subreaper this
  // process gets the command itself as its child, and so can wait for it.
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  fm_init(nullptr);
  FmPathList* paths = fm_path_list_new();
  for (int i = first; i < argc; ++i) fm_path_list_push_tail(paths, fm_path_new_for_str(argv[i]));
  FmFileInfoJob* job = fm_file_info_job_new(paths, FM_FILE_INFO_JOB_NONE);
  if (!fm_job_run_sync(FM_JOB(job))) return 2;
  GList* files = fm_file_info_list_peek_head_link(job->file_infos);
  const bool ran = Offer(fm_get_actions_for_files(files), run, files, 0);
  if (!run.empty() && !ran) return 3;
  // The test checks the commands' effect once they have all ended.
  while (wait(nullptr) > 0) {
  }
  return 0;
}
