#include "CompareChart.h"

#include "Commands.h"
#include "layout/Charset.h"
#include "layout/LayoutChart.h"
#include "layout/LayoutCompare.h"
#include "platform/portable/CodePage1251.h"
#include "text/Text.h"
#ifndef _WIN32
#include "picture/posix/CairoPicture.h"
#endif

namespace tastavia::cli {

namespace {

enum class ChartFormat { Svg, Png };

ChartFormat FormatOf(const std::string& output) {
    const std::size_t dot = output.find_last_of('.');
    const std::string extension = dot == std::string::npos ? "" : LowerAscii(output.substr(dot + 1));
    if (extension == "svg") return ChartFormat::Svg;
    if (extension == "png") return ChartFormat::Png;
    throw UsageError("chart writes an .svg or a .png file: name the output so");
}

// The file's name without its folder, as the chart's title, in Windows-1251. Linux file
// names are UTF-8; Windows gives the program ANSI ones.
std::string TitleOf(const std::string& path) {
    const std::size_t folder = path.find_last_of("/\\");
    const std::string name = folder == std::string::npos ? path : path.substr(folder + 1);
#ifdef _WIN32
    return name;
#else
    std::string title;
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        std::uint32_t u = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool sound = length > 0 && i + length <= name.size();
        for (int k = 1; sound && k < length; ++k) {
            const auto next = static_cast<unsigned char>(name[i + k]);
            sound = (next & 0xC0) == 0x80;
            u = (u << 6) | (next & 0x3F);
        }
        title += static_cast<char>(sound && u <= 0xFFFF ? UnicodeToCp1251(static_cast<std::uint16_t>(u)) : '?');
        i += sound ? static_cast<std::size_t>(length) : 1;
    }
    return title;
#endif
}

std::string ChartBytes(const picture::Picture& chart, ChartFormat format) {
    if (format == ChartFormat::Svg) return picture::SvgText(chart);
#ifdef _WIN32
    throw Failure("this tastavia-cli.exe writes no PNG pictures: write an .svg, or use the Linux tastavia-cli");
#else
    std::string png = picture::PngBytes(chart);
    if (png.empty()) throw Failure("the PNG picture could not be drawn");
    return png;
#endif
}

}  // namespace

int RunDiff(Platform& platform, const std::string& first, const std::string& second, std::ostream& out) {
    const LayoutKeys a = ReadLayoutForCompare(platform, first);
    const LayoutKeys b = ReadLayoutForCompare(platform, second);
    const std::vector<KeyDifference> differences = CompareLayouts(a, b);
    for (const KeyDifference& difference : differences) out << Cp1251ToUtf8(DifferenceText(difference)) << "\n";
    return differences.empty() ? 0 : 1;
}

void RunChart(Platform& platform, const std::string& file, const std::string& output) {
    const ChartFormat format = FormatOf(output);
    Files& files = platform.files;
    const FileStatus target = files.Status(output);
    if (target.kind == FileKind::Folder) throw Failure(output + ": a folder, not a file");
    if (target.kind == FileKind::Other) throw Failure(output + ": not a regular file");
    if (target.kind == FileKind::File && target.readOnly) throw Failure(output + ": the file is read-only");
    if (target.kind == FileKind::File && files.SameFile(file, output))
        throw Failure(output + ": the same file as " + file + "; a command never writes the file it reads");
    const picture::Picture chart = LayoutChart(ReadLayoutForCompare(platform, file), TitleOf(file));
    // Whole or not at all, as every write of the files service.
    if (!files.WriteAll(output, ChartBytes(chart, format))) throw Failure("cannot write " + output);
}

}  // namespace tastavia::cli
