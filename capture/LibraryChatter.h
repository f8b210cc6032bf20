#pragma once
// What a decoding library prints on its own kept out of the program's standard error: libsndfile's
// MPEG decoder, for one, writes "Note: Illegal Audio-MPEG-Header ..." there for bytes that are no
// recording at all. While an object lives, descriptor 2 goes to /dev/null; it is put back after.
// Only around calls into such a library, on the thread that makes them.
namespace tamsel {

class LibraryChatterHidden {
public:
    LibraryChatterHidden();
    ~LibraryChatterHidden();
    LibraryChatterHidden(const LibraryChatterHidden &) = delete;
    LibraryChatterHidden &operator=(const LibraryChatterHidden &) = delete;

private:
    int saved_ = -1;
    bool hidden_ = false;
};

} // namespace tamsel
