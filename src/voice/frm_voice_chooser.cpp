// The channel path chooser: picking a channel shows its directory, the drive box and the
// directory list follow each other, and "Запомнить" stores the shown directory.

#include "voice/frm_voice.h"

namespace voice {

void TFrmVoice::RgDirChanClick() {
    const int k = RgDirChan.ItemIndex();
    if (k >= 0)
        DirectoryListBox1.SetDirectory(GetChannelDir(ChannelDirTable, k));
}

void TFrmVoice::DriveComboBox1Change() {
    DirectoryListBox1.SetDrive(DriveComboBox1.Drive());
}

void TFrmVoice::DirectoryListBox1Change() {
    DriveComboBox1.SetDrive(DirectoryListBox1.Drive());
}

void TFrmVoice::BitBtn1Click() {
    const int k = RgDirChan.ItemIndex();
    if (k < 0)
        return;
    // A path that does not fit an entry is not stored, and the file keeps its bytes.
    if (!SetChannelDir(ChannelDirTable, k, DirectoryListBox1.Directory())) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    SaveChannelDirTable(ChannelDirTable, StartDir);
}

} // namespace voice
