#include "file.h"

#include "qltrace.h"

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
