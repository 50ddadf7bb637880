#include "render/gl_program.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "render/gl_dialect.h"
#include "render/platform.h"

namespace vantrel::render {

namespace {

constexpr const char* VERTEX_SOURCE = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColourBytes;  // 0xAARRGGBB stored little-endian: B, G, R, A
layout(location = 2) in vec2 aUv;
layout(location = 3) in vec3 aNormal;
layout(location = 4) in mat4 aInstanceTransform;
uniform mat4 uTransform;
uniform bool uInstanced;
uniform mat3 uNormalMatrix;
uniform bool uScreenSpace;
uniform vec2 uPixelToClip;
uniform bool uLighting;
uniform vec3 uToLight;
uniform float uAmbient;
out vec4 vColour;
out vec2 vUv;
void main() {
    vec4 colour = aColourBytes.bgra;
    if (uScreenSpace) {
        gl_Position = vec4(aPosition.x * uPixelToClip.x - 1.0, 1.0 - aPosition.y * uPixelToClip.y,
                           aPosition.z * 2.0 - 1.0, 1.0);
    } else {
        vec4 clip = (uInstanced ? aInstanceTransform : uTransform) * vec4(aPosition.xyz, 1.0);
        clip.z = clip.z * 2.0 - clip.w;
        gl_Position = clip;
    }
    vColour = colour;
    if (uLighting && !uInstanced) {
        vec3 n = uNormalMatrix * aNormal;
        float len = length(n);
        float facing = len > 0.0 ? max(dot(n / len, uToLight), 0.0) : 0.0;
        vColour.rgb = clamp(vec3(uAmbient) + colour.rgb * facing, 0.0, 1.0);
    }
    vUv = aUv;
}
)";

constexpr const char* FRAGMENT_SOURCE = R"(
uniform sampler2D uTexture;
in vec4 vColour;
in vec2 vUv;
out vec4 fragColour;
void main() {
    fragColour = texture(uTexture, vUv) * vColour;
}
)";

// A triangle strip over the whole framebuffer, made from the vertex number alone, that copies
// a texture onto it. The texture's colour goes out untouched: given anything more to do (alpha
// forced to one, say), a software rasteriser's fast path swaps red and blue in parts of the
// picture.
constexpr const char* COPY_VERTEX_SOURCE = R"(
out vec2 vUv;
void main() {
    vUv = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    gl_Position = vec4(vUv * 2.0 - 1.0, 0.0, 1.0);
}
)";

constexpr const char* COPY_FRAGMENT_SOURCE = R"(
uniform sampler2D uTexture;
in vec2 vUv;
out vec4 fragColour;
void main() {
    fragColour = texture(uTexture, vUv);
}
)";

// A program's sources and the file its binary is kept in.
struct ShaderPair {
    const char* keptFileName;
    const char* vertex;
    const char* fragment;
};

constexpr ShaderPair FIXED_FUNCTION_PAIR = {"shader-program.bin", VERTEX_SOURCE, FRAGMENT_SOURCE};
constexpr ShaderPair COPY_PAIR = {"copy-program.bin", COPY_VERTEX_SOURCE, COPY_FRAGMENT_SOURCE};

constexpr std::string_view KEPT_FILE_MAGIC = "vantrel shader program\n";

std::string infoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.data();
}

GLuint compileShader(GLenum kind, const char* body, std::string* error) {
    const char* parts[2] = {shaderPrelude(), body};
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    if (error) *error = "shader compile failed: " + infoLog(shader, false);
    glDeleteShader(shader);
    return 0;
}

GLuint compileAndLink(const ShaderPair& pair, std::string* error) {
    const GLuint vs = compileShader(GL_VERTEX_SHADER, pair.vertex, error);
    if (!vs) return 0;
    const GLuint fs = compileShader(GL_FRAGMENT_SHADER, pair.fragment, error);
    if (!fs) {
        glDeleteShader(vs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) return program;
    if (error) *error = "shader link failed: " + infoLog(program, true);
    glDeleteProgram(program);
    return 0;
}

std::string glString(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

// A binary is only good for the driver that made it and the sources it was made from.
std::string keptProgramKey(const ShaderPair& pair) {
    return glString(GL_VENDOR) + "\n" + glString(GL_RENDERER) + "\n" + glString(GL_VERSION) + "\n" + shaderPrelude() +
           pair.vertex + pair.fragment;
}

std::string keptFileHeader(const std::string& key) {
    return std::string(KEPT_FILE_MAGIC) + std::to_string(key.size()) + "\n" + key;
}

GLuint linkKeptProgram(const ShaderPair& pair, const std::string& key) {
    const std::vector<char> binary = binaryInKeptFile(key, readKeptFile(pair.keptFileName));
    if (binary.empty()) return 0;
    const GLuint program = glCreateProgram();
    if (linkProgramBinary(program, binary)) return program;
    glDeleteProgram(program);
    return 0;
}

bool keepProgram(const ShaderPair& pair, GLuint program, const std::string& key) {
    const std::vector<char> binary = programBinary(program);
    return !binary.empty() && keepFile(pair.keptFileName, keptProgramFile(key, binary));
}

// Linked from the kept binary, or else compiled and kept; 0 with the driver's log in error.
GLuint buildShaderPair(const ShaderPair& pair, ProgramSource& source, std::string* error) {
    const std::string key = keptProgramKey(pair);
    GLuint program = linkKeptProgram(pair, key);
    if (program) {
        source = ProgramSource::Kept;
        return program;
    }
    program = compileAndLink(pair, error);
    if (program) source = keepProgram(pair, program, key) ? ProgramSource::CompiledAndKept : ProgramSource::Compiled;
    return program;
}

void locateUniforms(FixedFunctionProgram& program) {
    program.transform = glGetUniformLocation(program.id, "uTransform");
    program.normalMatrix = glGetUniformLocation(program.id, "uNormalMatrix");
    program.screenSpace = glGetUniformLocation(program.id, "uScreenSpace");
    program.pixelToClip = glGetUniformLocation(program.id, "uPixelToClip");
    program.lighting = glGetUniformLocation(program.id, "uLighting");
    program.instanced = glGetUniformLocation(program.id, "uInstanced");
    program.toLight = glGetUniformLocation(program.id, "uToLight");
    program.ambient = glGetUniformLocation(program.id, "uAmbient");
    program.texture = glGetUniformLocation(program.id, "uTexture");
}

}  // namespace

std::vector<char> keptProgramFile(const std::string& key, const std::vector<char>& binary) {
    const std::string header = keptFileHeader(key);
    std::vector<char> file(header.begin(), header.end());
    file.insert(file.end(), binary.begin(), binary.end());
    return file;
}

std::vector<char> binaryInKeptFile(const std::string& key, const std::vector<char>& file) {
    const std::string header = keptFileHeader(key);
    if (file.size() <= header.size() || !std::equal(header.begin(), header.end(), file.begin())) return {};
    return std::vector<char>(file.begin() + static_cast<std::ptrdiff_t>(header.size()), file.end());
}

bool buildFixedFunctionProgram(FixedFunctionProgram& program, std::string* error) {
    program = FixedFunctionProgram{};
    program.id = buildShaderPair(FIXED_FUNCTION_PAIR, program.source, error);
    if (!program.id) return false;
    locateUniforms(program);
    return true;
}

bool buildCopyProgram(CopyProgram& program, std::string* error) {
    program = CopyProgram{};
    program.id = buildShaderPair(COPY_PAIR, program.source, error);
    if (!program.id) return false;
    glGenVertexArrays(1, &program.vertexArray);
    return true;
}

void destroyFixedFunctionProgram(FixedFunctionProgram& program) {
    if (program.id) glDeleteProgram(program.id);
    program = FixedFunctionProgram{};
}

void destroyCopyProgram(CopyProgram& program) {
    if (program.id) glDeleteProgram(program.id);
    if (program.vertexArray) glDeleteVertexArrays(1, &program.vertexArray);
    program = CopyProgram{};
}

}  // namespace vantrel::render
