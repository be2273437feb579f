#include "foundation/file.h"

#include "foundation/qltrace.h"

namespace {

bool Opens(const EngineString& name)
{
    FILE* stream = fopen(name.Chars(), "rb");
    if (stream)
        fclose(stream);
    return stream != nullptr;
}

bool IsAbsolute(const char* name)
{
    return name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':');
}

}  // namespace

EngineString FindBeside(const EngineString& name, const EngineString& container)
{
    if (name.IsEmpty() || IsAbsolute(name.Chars()) || Opens(name))
        return name;
    // The container's folder first, then each folder above it: a name
    // written relative to the folder a model's data sits in still resolves.
    const char* path = container.Chars();
    for (uint32_t end = container.Length(); end > 0; end--) {
        if (path[end - 1] != '/' && path[end - 1] != '\\')
            continue;
        EngineString beside = container.SubString(0, end) + name;
        if (Opens(beside))
            return beside;
    }
    return name;
}

HRESULT File::Open(const EngineString& name, const EngineString& mode)
{
    HRESULT result = OpenSilently(name, mode);
    if (FAILED(result))
        QL_LOG(TraceContext("File::Open()"), TraceError, "File '" + name + "' not found");
    return result;
}

HRESULT File::OpenSilently(const EngineString& name, const EngineString& mode)
{
    Close();
    stream = fopen(name.Chars(), mode.Chars());
    return stream ? S_OK : E_FAIL;
}

void File::Write(const EngineString& text)
{
    if (stream)
        fputs(text.Chars(), stream);
}

void File::Flush()
{
    if (stream)
        fflush(stream);
}

void File::Close()
{
    if (stream) {
        fclose(stream);
        stream = nullptr;
    }
}

bool File::ReadExact(void* destination, size_t size)
{
    if (!stream)
        return false;
    return fread(destination, 1, size, stream) == size;
}

int64_t File::Size()
{
    long end = -1;
    if (stream && fseek(stream, 0, SEEK_END) == 0)
        end = ftell(stream);
    if (stream)
        rewind(stream);
    return end;
}
