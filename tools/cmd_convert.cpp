// corvan-tool convert IN OUT.qcc: a DXF or QLI drawing into a pattern file, as the file
// manager does when it copies one.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/atomic_file.h"
#include "import/dxf_import.h"
#include "import/qli_import.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

std::string LowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

}  // namespace

int RunConvert(const ToolArgs& args)
{
    if (args.size() != 2)
        return ToolUsage("convert", "convert needs an input drawing and an output pattern file");
    const std::string& in = args[0];
    const std::string& out = args[1];
    const std::string kind = LowerExtension(in);
    if (kind != ".dxf" && kind != ".qli")
        return ToolUsage("convert", "'" + in + "' is neither a .dxf nor a .qli file");
    if (LowerExtension(out) != ".qcc")
        return ToolUsage("convert", "the pattern file '" + out + "' must end in .qcc");

    std::FILE* input = std::fopen(in.c_str(), "rb");
    if (!input) {
        std::fprintf(stderr, "corvan-tool: cannot read %s: %s\n", in.c_str(), std::strerror(errno));
        return kToolFailed;
    }
    // Written beside the destination and renamed into place, so a failed conversion never
    // leaves a half-written pattern or destroys one that was there.
    AtomicFileWriter output(out);
    if (!output.Open()) {
        std::fprintf(stderr, "corvan-tool: cannot write %s: %s\n", out.c_str(),
                     std::strerror(output.error()));
        std::fclose(input);
        return kToolFailed;
    }
    bool converted = false;
    {
        ConsoleToStderr console;  // the import's console lines are not the result
        converted = kind == ".dxf" ? ConvertDXF(input, output.stream()) >= 0
                                   : ImportQLI(input, output.stream()) > 0;
    }
    std::fclose(input);
    if (!converted) {
        output.Abandon();
        std::fprintf(stderr, "corvan-tool: %s could not be converted%s\n", in.c_str(),
                     kind == ".dxf" ? " (what was read is in ./dxf.log)" : "");
        return kToolFailed;
    }
    if (!output.Commit()) {
        std::fprintf(stderr, "corvan-tool: cannot write %s: %s\n", out.c_str(),
                     std::strerror(output.error()));
        return kToolFailed;
    }
    std::printf("converted %s to %s\n", in.c_str(), out.c_str());
    return kToolOk;
}
