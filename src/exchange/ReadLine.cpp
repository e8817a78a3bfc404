#include "exchange/ReadLine.h"

#include <exception>

bool ReadLine(std::istream& stream, std::string& line)
{
    line.clear();
    std::streambuf* buffer = stream.rdbuf();
    using Traits = std::streambuf::traits_type;
    if (!stream.good() || !buffer)
        return false;
    bool any = false;
    try
    {
        for (int c = buffer->sbumpc(); c != Traits::eof(); c = buffer->sbumpc())
        {
            any = true;
            if (c == '\n')
                return true;
            if (c == '\r')
            {
                if (buffer->sgetc() == '\n')
                    buffer->sbumpc();
                return true;
            }
            line += static_cast<char>(c);
        }
        stream.setstate(std::ios::eofbit);
    }
    catch (const std::exception&)
    {
        // A read error (a directory, a device gone) ends the stream like its end does.
        stream.setstate(std::ios::badbit);
    }
    return any;
}
