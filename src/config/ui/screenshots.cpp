#include "config/ui/screenshots.h"

#include <QApplication>
#include <QLayout>
#include <QPixmap>
#include <QTabWidget>

#include <filesystem>
#include <system_error>

#include "app/configurator.h"
#include "app/device_types.h"
#include "app/launcher.h"
#include "app/ui/launcher_window.h"
#include "app/ui/program.h"
#include "config/page_shaping.h"
#include "config/ui/configurator_window.h"
#include "link/services/identity.h"

namespace morvane {

namespace {

// Accented letters of the captions and their plain counterparts.
std::string Plain(const std::string& utf8) {
    static const std::pair<const char*, const char*> table[] = {
        {"á", "a"}, {"é", "e"}, {"í", "i"}, {"ó", "o"}, {"ö", "o"}, {"ő", "o"}, {"ú", "u"}, {"ü", "u"},
        {"ű", "u"}, {"Á", "A"}, {"É", "E"}, {"Í", "I"}, {"Ó", "O"}, {"Ö", "O"}, {"Ő", "O"}, {"Ú", "U"},
        {"Ü", "U"}, {"Ű", "U"}};
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        bool replaced = false;
        for (const auto& [from, to] : table) {
            const size_t n = std::char_traits<char>::length(from);
            if (utf8.compare(i, n, from) == 0) {
                out += to;
                i += n;
                replaced = true;
                break;
            }
        }
        if (replaced) continue;
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            // Another multi-byte character: one "_" for all its bytes.
            size_t n = 1;
            while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80) ++n;
            out += '_';
            i += n;
            continue;
        }
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '+';
        out += keep ? static_cast<char>(c) : (c == '<' ? 'L' : c == '>' ? 'G' : '_');
        ++i;
    }
    // No runs of "_", none at the ends.
    std::string tidy;
    for (char c : out) {
        if (c == '_' && (tidy.empty() || tidy.back() == '_')) continue;
        tidy += c;
    }
    while (!tidy.empty() && (tidy.back() == '_' || tidy.back() == '.')) tidy.pop_back();
    return tidy;
}

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool Save(QWidget& w, const std::filesystem::path& file) {
    return w.grab().save(QString::fromStdString(file.string()), "PNG");
}

}  // namespace

std::string ScreenshotFileName(const std::vector<std::string>& captions) {
    std::string name;
    for (const std::string& c : captions) {
        if (!name.empty()) name += '-';
        name += Plain(c);
    }
    return name + ".png";
}

ScreenshotResult WriteScreenshots(Program& program, const std::string& dir, int deviceType, int version) {
    ScreenshotResult result;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) {
        result.error = "cannot create the folder " + dir;
        return result;
    }
    const std::filesystem::path out(dir);

    // The launcher with the device detected.
    const std::optional<DeviceTypeInfo> info = LookupDeviceType(deviceType, ProductNames, "ALL");
    const std::string product = info ? info->productText : ProductTextFor(deviceType, ProductNames);
    LauncherWindow& launcher = program.Windows().LauncherView();
    ControlSet& lc = program.Core().Controls();
    lc.SetText("Label10", product.empty() ? "???" : product);
    lc.SetColor("Panel2", Rgb(0x00, 0x80, 0x00));
    lc.SetEnabled("Button5", true);
    lc.SetEnabled("Panel2", true);
    launcher.ensurePolished();
    if (launcher.layout()) launcher.layout()->activate();
    const auto launcherFile = out / "Launcher.png";
    if (!Save(launcher, launcherFile)) {
        result.error = "cannot write " + launcherFile.string();
        return result;
    }
    result.files.push_back(launcherFile.string());

    // The configurator shaped for the device.
    Configurator& cfg = program.ConfiguratorCore();
    cfg.DeviceType = info ? info->configuratorType : deviceType;
    cfg.DeviceVersion = version;
    cfg.DemoMode = true;
    cfg.SetProductText(product);
    cfg.StatusPanels[2] = FirmwareText(version);
    ApplyPageShape(deviceType, cfg.Controls());
    ApplyFeatureTable(cfg.Controls(), version, cfg.DeviceType);

    ConfiguratorWindow& window = program.Windows().ConfiguratorView();
    window.setAttribute(Qt::WA_DontShowOnScreen, true);
    window.show();
    window.Refresh();
    Settle();
    for (const auto& [parent, caption] : window.OfferedViews()) {
        if (parent.empty()) window.ShowPage(caption);
        else window.ShowSubPage(caption, parent);
        Settle();
        // The captions from the main page down.
        std::vector<std::string> chain = {caption};
        std::string up = parent;
        while (!up.empty()) {
            chain.insert(chain.begin(), up);
            PageRegistry::Page* p = nullptr;
            for (PageRegistry::Page& q : window.Registry().Pages())
                if (q.caption == up) p = &q;
            up = p ? p->parent : std::string();
        }
        const auto file = out / ScreenshotFileName(chain);
        if (!Save(window, file)) {
            result.error = "cannot write " + file.string();
            break;
        }
        result.files.push_back(file.string());
    }
    window.hide();
    window.setAttribute(Qt::WA_DontShowOnScreen, false);
    return result;
}

}  // namespace morvane
