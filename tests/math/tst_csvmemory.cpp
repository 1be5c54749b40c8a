// The heap a CSV read holds, counted by replacing this program's allocator entry points: a
// hostile line must cost memory in proportion to the fields read, not to its length.
#include <QtTest>

#include "VelaProfile.h"

#include <QTemporaryDir>

#include <malloc.h>

#include <atomic>
#include <cerrno>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELA_COUNT_HEAP 0 // the sanitizers bring their own allocator
#else
#define VELA_COUNT_HEAP 1

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<long long> heldBytes{0};
std::atomic<long long> peakBytes{0};

void held(long long change)
{
    const long long now = heldBytes += change;
    long long peak = peakBytes;
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

long long sizeOf(void* block)
{
    return block ? (long long)malloc_usable_size(block) : 0;
}

void* taken(void* block)
{
    held(sizeOf(block));
    return block;
}

} // namespace

extern "C" {
void* malloc(size_t size) { return taken(__libc_malloc(size)); }
void* calloc(size_t count, size_t size) { return taken(__libc_calloc(count, size)); }
void* memalign(size_t alignment, size_t size) { return taken(__libc_memalign(alignment, size)); }
void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** block, size_t alignment, size_t size)
{
    *block = memalign(alignment, size);
    return *block || size == 0 ? 0 : ENOMEM;
}

void* realloc(void* block, size_t size)
{
    const long long before = sizeOf(block);
    void* moved = __libc_realloc(block, size);
    if (moved || size == 0)
        held(sizeOf(moved) - before);
    return moved;
}

void free(void* block)
{
    held(-sizeOf(block));
    __libc_free(block);
}
}
#endif

using namespace VelaMath;

class TestCsvMemory : public QObject
{
    Q_OBJECT
private slots:
    void longLineHoldsOnlyTheFieldsRead();
};

void TestCsvMemory::longLineHoldsOnlyTheFieldsRead()
{
#if !VELA_COUNT_HEAP
    QSKIP("heap counting needs the plain allocator");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath("hostile.csv");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("1,5;2;");
        f.write(QByteArray(4 << 20, ';'));
        f.write("\n3;4\n");
    }
    VelaProfile profile;
    const long long before = heldBytes;
    peakBytes = before;
    QCOMPARE(profile.readFromCSVFile(path, 0, 1), 2);
    const long long peak = peakBytes - before;
    QCOMPARE(profile.points[0].x, 1.5f);
    QCOMPARE(profile.points[1].y, 4.0f);
    // A 4 MiB line of empty fields: what is held must not grow with it.
    QVERIFY2(peak < (64 << 10), qPrintable(QStringLiteral("%1 bytes held").arg(peak)));
#endif
}

QTEST_APPLESS_MAIN(TestCsvMemory)
#include "tst_csvmemory.moc"
