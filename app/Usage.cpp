#include "app/Usage.h"

namespace velkor {

const char* const kUsageText =
    "usage: velkor SWITCH PATH\n"
    "\n"
    "  /e   ARCHIVE.viv   unpack the archive into a folder beside it\n"
    "  /p   FOLDER        pack the folder's files into FOLDER.viv beside it\n"
    "  /c3  PATH          convert a car (car.viv) or a loose file to NFS3, beside the input\n"
    "  /ci3 PATH          convert a car to NFS3 and install it into NFS3's car folder\n"
    "  /c4  PATH          convert a car (car.viv) or a loose file to NFS4, beside the input\n"
    "  /ci4 PATH          convert a car to NFS4 and install it into NFS4's car folder\n"
    "\n"
    "  --notify SWITCH PATH  also show the outcome as a desktop notification\n"
    "\n"
    "  --list ARCHIVE.viv print an archive's directory without unpacking it\n"
    "  --setup            find the games and collect the reference files again, with a report\n"
    "  --restore ARCHIVE  put back the car archive that the last installation replaced\n"
    "  --unregister       remove Velkor's verbs and file-manager entries\n"
    "  --help             print this text\n"
    "  --version          print Velkor's version\n"
    "\n"
    "Loose files: *.fce models, fedata.eng/.bri/.ger/.fre/.ita/.spa/.swe texts and\n"
    "carp.txt, carp1.txt .. carp3.txt performance files. The output replaces the last\n"
    "character of the name with 3 or 4 (car.fce -> car.fc4).\n";

}  // namespace velkor
