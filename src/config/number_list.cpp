#include "config/number_list.h"

#include <algorithm>

#include "config/device_charmap.h"
#include "config/memory_map.h"
#include "config/page_rules.h"
#include "link/link.h"

namespace morvane {

namespace {

// The first n characters of a UTF-8 text.
std::string FirstChars(const std::string& utf8, int n) {
    size_t i = 0;
    int count = 0;
    while (i < utf8.size()) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (count == n) break;
            ++count;
        }
        ++i;
    }
    return utf8.substr(0, i);
}

}  // namespace

std::string numkey::Box(int bit) { return "CONTR" + std::to_string(bit + 1); }

NumberListPage::NumberListPage(Configurator& form, ConfigImage& image, View& view)
    : form_(form), image_(image), view_(view) {
    ControlSet& c = form_.Controls();
    if (!c.Has(numkey::Zone)) {
        c[numkey::Zone].items = {"Everytime enabled", "Time Zona1", "Time Zona2", "Time Zona3"};
        c[numkey::Zone].itemIndex = 0;
    }
    if (!c.Has(numkey::In3Enabled)) c[numkey::In3Enabled].enabled = false;
}

bool NumberListPage::FirmwareBlocksRights() const { return form_.DeviceVersion < 87 && !form_.DemoMode; }

bool NumberListPage::HasNumber(int row) const { return ValidRow(row) && !grid_.rows[size_t(row)].number.empty(); }

uint8_t NumberListPage::StoredRights(int row) const { return image_[NumberListRowOffset(row) + mm::kNumberListRights]; }
uint8_t NumberListPage::StoredZone(int row) const { return image_[NumberListRowOffset(row) + mm::kNumberListZone]; }

// ---------------------------------------------------------------- page events

void NumberListPage::PageEntered() {
    ControlSet& c = form_.Controls();
    c.SetVisible(linkctl::ReadButton, false);
    c.SetVisible(linkctl::SendButton, false);
    c.SetColor(pagekey::ListRead, kHoverButtonColor);
    c.SetColor(pagekey::ListWrite, kNormalButtonColor);
    NumberListChanged = false;
}

void NumberListPage::SubPageEntered(const std::string& caption) {
    ControlSet& c = form_.Controls();
    bool shown;
    if (caption == "Time Zona") shown = true;
    else if (caption == "Saját memóriás" || caption == "SIM kártya számok (kompatibilitás régi modulokkal)") shown = false;
    else return;
    c.SetVisible(linkctl::ReadButton, shown);
    c.SetVisible(linkctl::SendButton, shown);
}

void NumberListPage::PageLeft() {
    ControlSet& c = form_.Controls();
    c.SetVisible(linkctl::ReadButton, true);
    c.SetVisible(linkctl::SendButton, true);
    if (NumberListChanged) view_.Message(kNumberNotSavedText);
}

// ---------------------------------------------------------------- rows and boxes

void NumberListPage::FollowZone() {
    ControlSet& c = form_.Controls();
    const bool zone = c[numkey::Zone].itemIndex > 0;
    if (c[numkey::In3Enabled].enabled != zone) c.SetEnabled(numkey::In3Enabled, zone);
    if (!zone && c[numkey::In3Enabled].checked) c.SetChecked(numkey::In3Enabled, false);
}

void NumberListPage::SelectRow(int row) {
    if (!ValidRow(row)) return;
    ControlSet& c = form_.Controls();
    RowLoading = true;
    grid_.currentRow = row;
    const bool has = HasNumber(row);
    const uint8_t rights = has && !FirmwareBlocksRights() ? StoredRights(row) : 0;
    for (int bit = 0; bit < 7; ++bit) c.SetChecked(numkey::Box(bit), (rights >> bit) & 1);
    c.SetText(numkey::NumberLabel, grid_.rows[size_t(row)].number);
    const uint8_t zone = has ? StoredZone(row) : 1;
    c.SetItemIndex(numkey::Zone, zone & 3);
    c.SetChecked(numkey::In4Disabled, (zone & 4) != 0);
    c.SetChecked(numkey::In3Enabled, (zone & 8) != 0);
    if (!has) {
        // An empty row shows the defaults.
        c.SetItemIndex(numkey::Zone, 0);
        c.SetChecked(numkey::Box(0), true);
    }
    FollowZone();
    RowLoading = false;
}

uint8_t NumberListPage::RightsByte(bool versionRule) const {
    if (versionRule && FirmwareBlocksRights()) return 0;
    const ControlSet& c = form_.Controls();
    uint8_t b = 0;
    for (int bit = 0; bit < 7; ++bit) {
        const ControlState* s = c.Find(numkey::Box(bit));
        if (s && s->checked) b |= uint8_t(1u << bit);
    }
    return b;
}

uint8_t NumberListPage::ZoneByte() const {
    const ControlSet& c = form_.Controls();
    const ControlState* zone = c.Find(numkey::Zone);
    const ControlState* in4 = c.Find(numkey::In4Disabled);
    const ControlState* in3 = c.Find(numkey::In3Enabled);
    const int index = zone ? std::clamp(zone->itemIndex, 0, 3) : 0;
    return uint8_t(index + (in4 && in4->checked ? 4 : 0) + (in3 && in3->checked ? 8 : 0));
}

void NumberListPage::MarkChanged() {
    NumberListChanged = true;
    form_.Controls().SetColor(pagekey::ListRead, kNormalButtonColor);
    form_.Controls().SetColor(pagekey::ListWrite, kHoverButtonColor);
}

void NumberListPage::BoxesChanged() {
    // The rule's own changes of the boxes come back here through the
    // window; they are part of this change.
    if (RowLoading || storing_) return;
    storing_ = true;
    MarkChanged();
    FollowZone();
    storing_ = false;
    const int row = grid_.currentRow;
    if (!ValidRow(row)) return;
    const uint32_t off = NumberListRowOffset(row);
    image_[off + mm::kNumberListRights] = RightsByte();
    image_[off + mm::kNumberListZone] = ZoneByte();
}

void NumberListPage::SetBox(int bit, bool on) {
    if (bit < 0 || bit > 6) return;
    form_.Controls().SetChecked(numkey::Box(bit), on);
    BoxesChanged();
}

void NumberListPage::SetZone(int index) {
    form_.Controls().SetItemIndex(numkey::Zone, std::clamp(index, 0, 3));
    BoxesChanged();
}

void NumberListPage::SetIn4Disabled(bool on) {
    form_.Controls().SetChecked(numkey::In4Disabled, on);
    BoxesChanged();
}

void NumberListPage::SetIn3Enabled(bool on) {
    form_.Controls().SetChecked(numkey::In3Enabled, on);
    BoxesChanged();
}

std::string NumberListPage::EditNumber(int row, const std::string& text) {
    const std::string kept = FirstChars(text, kNumberCharacters);
    if (ValidRow(row)) grid_.rows[size_t(row)].number = kept;
    form_.Controls().SetText(numkey::NumberLabel, "Number: " + kept);
    MarkChanged();
    return kept;
}

int NumberListPage::CopySettingsToAll() {
    const uint8_t rights = RightsByte(false);
    const uint8_t zone = ZoneByte();
    int changed = 0;
    for (int row = 1; row <= kRows; ++row) {
        if (!HasNumber(row)) continue;
        const uint32_t off = NumberListRowOffset(row);
        image_[off + mm::kNumberListRights] = rights;
        image_[off + mm::kNumberListZone] = zone;
        ++changed;
    }
    return changed;
}

int NumberListPage::Search(const std::string& text) {
    for (int row = 1; row <= kRows && ValidRow(row); ++row) {
        if (grid_.rows[size_t(row)].number.find(text) != std::string::npos) {
            SelectRow(row);
            return row;
        }
    }
    return 0;
}

// ---------------------------------------------------------------- transfers

void NumberListPage::ShowTransfer(uint32_t ownColor, const char* own) {
    ControlSet& c = form_.Controls();
    c.SetColor(own, ownColor);
    SetListTransferButtons(c, false);
    c.SetVisible(numkey::Progress, true);
    if (OnDoorProgress) OnDoorProgress(true);
}

void NumberListPage::StartRead(PageCommands& commands) {
    ShowTransfer(kSelectedButtonColor, pagekey::ListRead);
    grid_.columnCount = 2;
    commands.StartNumberListRead();
}

void NumberListPage::StartWrite(PageCommands& commands) {
    NumberListChanged = false;
    ShowTransfer(kSelectedButtonColor, pagekey::ListWrite);
    for (int row = 1; row <= kWrittenRows; ++row) {
        const uint32_t off = NumberListRowOffset(row);
        if (!HasNumber(row)) {
            image_[off] = 0xFF;
            continue;
        }
        std::string bytes = Utf8ToCp1250(grid_.rows[size_t(row)].number);
        if (bytes.size() > size_t(kStoredCharacters)) bytes.resize(size_t(kStoredCharacters));
        std::copy(bytes.begin(), bytes.end(), image_.Data() + off);
        image_[off + uint32_t(bytes.size())] = 0xFF;
    }
    commands.StartNumberListWrite();
}

void NumberListPage::BlockRead(int transferIndex, const uint8_t* block) {
    const int first = transferIndex - ConfigImage::kNumberListFirstPage;
    for (int r = 0; r < 16; ++r) {
        const int row = first + r + 1;
        if (!ValidRow(row)) continue;
        const uint8_t* rec = block + 16 * r;
        // The number ends at the first 0xFF (or 0) within its 14 bytes; the
        // bytes after them are the row's rights and zone.
        std::string bytes;
        for (int i = 0; i < kNumberCharacters && rec[i] != 0xFF && rec[i] != 0; ++i) bytes.push_back(char(rec[i]));
        grid_.rows[size_t(row)].number = Cp1250ToUtf8(bytes);
    }
}

void NumberListPage::EndTransfer() {
    ControlSet& c = form_.Controls();
    c.SetVisible(numkey::Progress, false);
    if (OnDoorProgress) OnDoorProgress(false);
    SetListTransferButtons(c, true);
}

void NumberListPage::ReadFinished() {
    EndTransfer();
    SelectRow(1);
    form_.Controls().SetColor(pagekey::ListRead, kHoverButtonColor);
    form_.Controls().SetColor(pagekey::ListWrite, kNormalButtonColor);
}

void NumberListPage::WriteFinished() {
    // The boxes already hold the selected row's bytes, which went out with
    // the list: the list now counts as saved.
    EndTransfer();
    NumberListChanged = false;
    form_.Controls().SetColor(pagekey::ListRead, kNormalButtonColor);
    form_.Controls().SetColor(pagekey::ListWrite, kNormalButtonColor);
}

void AttachNumberList(DeviceLink& link, NumberListPage& page) {
    auto previousBlock = link.OnBlockReply;
    link.OnBlockReply = [&link, &page, previousBlock](int txCel, const uint8_t* block) {
        if (previousBlock) previousBlock(txCel, block);
        if (txCel != 115) return;
        page.BlockRead(link.TransferIndex, block);
        // The link moves on by 16 pages after this call: this was the last block.
        if (link.TransferIndex + 16 >= ConfigImage::kNumberListEndPage) page.ReadFinished();
    };
    auto previousWritten = link.OnNumberListWritten;
    link.OnNumberListWritten = [&page, previousWritten] {
        if (previousWritten) previousWritten();
        page.WriteFinished();
    };
}

}  // namespace morvane
