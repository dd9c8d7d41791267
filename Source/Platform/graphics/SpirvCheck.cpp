#include "Platform/graphics/SpirvCheck.h"

#include <spirv-tools/libspirv.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace Vela::Gfx
{
    namespace
    {
        constexpr uint32_t SPIRV_MAGIC = 0x07230203u;
        constexpr size_t HEADER_WORDS = 5;
        constexpr uint32_t OP_ENTRY_POINT = 15;
        constexpr uint32_t OP_VARIABLE = 59;
        constexpr uint32_t OP_DECORATE = 71;
        constexpr uint32_t DECORATION_BUILT_IN = 11;
        constexpr uint32_t DECORATION_LOCATION = 30;
        constexpr uint32_t STORAGE_CLASS_INPUT = 1;

        // A literal string inside an instruction: NUL-terminated within the words given.
        bool ReadLiteral(const uint32_t* someWords, size_t aCount, std::string& aText)
        {
            const char* bytes = reinterpret_cast<const char*>(someWords);
            const size_t maximum = aCount * 4;
            const size_t length = strnlen(bytes, maximum);
            if (length == maximum)
                return false;
            aText.assign(bytes, length);
            return true;
        }
    }

    namespace
    {
        bool ValidateModule(const std::vector<uint32_t>& someWords, std::string& anError)
        {
            spv_context context = spvContextCreate(SPV_ENV_OPENGL_4_5);
            if (!context)
            {
                anError = "the SPIR-V validator is not available";
                return false;
            }
            spv_diagnostic diagnostic = nullptr;
            const spv_result_t result = spvValidateBinary(context, someWords.data(), someWords.size(), &diagnostic);
            if (result != SPV_SUCCESS)
            {
                anError = "the SPIR-V module is invalid";
                if (diagnostic && diagnostic->error)
                {
                    std::string detail = diagnostic->error;
                    const size_t lineEnd = detail.find('\n');
                    anError += ": " + detail.substr(0, lineEnd);
                }
            }
            spvDiagnosticDestroy(diagnostic);
            spvContextDestroy(context);
            return result == SPV_SUCCESS;
        }
    }

    SpirvSummary CheckSpirv(const void* aBytes, size_t aLength, ShaderStage aStage)
    {
        SpirvSummary summary;
        if (!aBytes || aLength == 0)
        {
            summary.error = "the shader is empty";
            return summary;
        }
        if (aLength % 4 != 0 || aLength < HEADER_WORDS * 4)
        {
            summary.error = "the shader is not a whole SPIR-V module";
            return summary;
        }
        std::vector<uint32_t> words(aLength / 4);
        std::memcpy(words.data(), aBytes, aLength);
        if (words[0] != SPIRV_MAGIC)
        {
            summary.error = "the shader is not SPIR-V";
            return summary;
        }
        if (words[4] != 0)
        {
            summary.error = "the SPIR-V header is malformed";
            return summary;
        }

        // The whole module is validated here, so the GL driver never parses a malformed one.
        if (!ValidateModule(words, summary.error))
            return summary;

        bool foundEntry = false;
        uint32_t entryId = 0;
        std::unordered_set<uint32_t> builtIns;
        std::unordered_map<uint32_t, uint32_t> locations;
        std::vector<uint32_t> inputVariables;
        std::vector<uint32_t> entryInterface;

        size_t position = HEADER_WORDS;
        while (position < words.size())
        {
            const uint32_t wordCount = words[position] >> 16;
            const uint32_t opcode = words[position] & 0xFFFFu;
            if (wordCount == 0 || wordCount > words.size() - position)
            {
                summary.error = "the SPIR-V instruction stream is malformed";
                return summary;
            }
            const uint32_t* operands = &words[position + 1];
            const size_t operandCount = wordCount - 1;
            if (opcode == OP_ENTRY_POINT && operandCount >= 3)
            {
                std::string name;
                if (!ReadLiteral(operands + 2, operandCount - 2, name))
                {
                    summary.error = "the SPIR-V entry point name is malformed";
                    return summary;
                }
                if (name == "main" && operands[0] == static_cast<uint32_t>(aStage))
                {
                    foundEntry = true;
                    entryId = operands[1];
                    const size_t nameWords = name.size() / 4 + 1;
                    entryInterface.assign(operands + 2 + nameWords, operands + operandCount);
                }
            }
            else if (opcode == OP_DECORATE && operandCount >= 2)
            {
                if (operands[1] == DECORATION_BUILT_IN)
                    builtIns.insert(operands[0]);
                else if (operands[1] == DECORATION_LOCATION && operandCount >= 3)
                    locations[operands[0]] = operands[2];
            }
            else if (opcode == OP_VARIABLE && operandCount >= 3 && operands[2] == STORAGE_CLASS_INPUT)
            {
                inputVariables.push_back(operands[1]);
            }
            position += wordCount;
        }
        (void)entryId;

        if (!foundEntry)
        {
            summary.error = aStage == ShaderStage::VERTEX ? "the shader has no vertex entry point \"main\""
                                                          : "the shader has no pixel entry point \"main\"";
            return summary;
        }
        for (uint32_t variable : inputVariables)
        {
            if (builtIns.contains(variable))
                continue;
            // Older modules list only inputs in the interface; newer ones list every global. Either way an input
            // variable not used by the entry point does not matter.
            if (!entryInterface.empty() && std::find(entryInterface.begin(), entryInterface.end(), variable) == entryInterface.end())
                continue;
            const auto location = locations.find(variable);
            if (location != locations.end())
                summary.inputLocations.push_back(location->second);
        }
        std::sort(summary.inputLocations.begin(), summary.inputLocations.end());
        return summary;
    }
}
