#include "presentation/Conversions.h"

#include "protocol/ByteText.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation {

float CodeTextToVolts(std::string_view codeText)
{
    return protocol::CodeToVolts(protocol::HexPrefixValue(codeText, 3));
}

} // namespace qm::presentation
