// The Direct3D Retained Mode interfaces as abstract classes, with their DirectX IIDs.
//
// The methods are those of DirectX (names, argument order, results) that the program and its
// tests call; interfaces and methods the program never reaches are left out. Each method
// returns D3DRM_OK (0) or a D3DRMERR_ code (platform/d3drm/RMTypes.h). A "2" interface is the
// same object reached by QueryInterface, with the methods that version adds.
//
// The implementations live beside this header (Frame, Light, RMDevice, RMViewport,
// MeshBuilder, Mesh, Texture, Wrap, Direct3DRM); tests may replace any interface by a fake.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/d3d/D3DTypes.h"
#include "platform/d3drm/RMTypes.h"

class IDirect3D2;
class IDirect3DDevice2;
class IDirect3DViewport;
class IDirect3DRMFrame;
class IDirect3DRMFrame2;
class IDirect3DRMLight;
class IDirect3DRMVisual;
class IDirect3DRMDevice;
class IDirect3DRMDevice2;
class IDirect3DRMViewport;
class IDirect3DRMMesh;
class IDirect3DRMMeshBuilder;
class IDirect3DRMMeshBuilder2;
class IDirect3DRMTexture;
class IDirect3DRMTexture2;
class IDirect3DRMWrap;

// Checked against the DirectX headers' DEFINE_GUID values.
inline constexpr IID IID_IDirect3DRM = GuidFromString("{2BC49361-8327-11CF-AC4A-0000C03825A1}");
inline constexpr IID IID_IDirect3DRM2 = GuidFromString("{4516ECC8-8F20-11D0-9B6D-0000C0781BC3}");
inline constexpr IID IID_IDirect3DRMObject =
    GuidFromString("{EB16CB00-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMVisual =
    GuidFromString("{EB16CB04-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMDevice =
    GuidFromString("{E9E19280-6E05-11CF-AC4A-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMDevice2 =
    GuidFromString("{4516EC78-8F20-11D0-9B6D-0000C0781BC3}");
inline constexpr IID IID_IDirect3DRMViewport =
    GuidFromString("{EB16CB02-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMFrame =
    GuidFromString("{EB16CB03-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMFrame2 =
    GuidFromString("{C3DFBD60-3988-11D0-9EC2-0000C0291AC3}");
inline constexpr IID IID_IDirect3DRMMesh = GuidFromString("{A3A80D01-6E12-11CF-AC4A-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMMeshBuilder =
    GuidFromString("{A3A80D02-6E12-11CF-AC4A-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMMeshBuilder2 =
    GuidFromString("{4516EC77-8F20-11D0-9B6D-0000C0781BC3}");
inline constexpr IID IID_IDirect3DRMLight =
    GuidFromString("{EB16CB08-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMTexture =
    GuidFromString("{EB16CB09-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMTexture2 =
    GuidFromString("{120F30C0-1629-11D0-941C-0080C80CFA7B}");
inline constexpr IID IID_IDirect3DRMWrap = GuidFromString("{EB16CB0A-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMFrameArray =
    GuidFromString("{EB16CB12-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMVisualArray =
    GuidFromString("{EB16CB13-D271-11CE-AC48-0000C03825A1}");
inline constexpr IID IID_IDirect3DRMLightArray =
    GuidFromString("{EB16CB14-D271-11CE-AC48-0000C03825A1}");

// What every retained-mode object has: a name, a class name and a word of application data.
// GetName and GetClassName follow DirectX: *Size is the buffer's size on the way in and the
// text's size with its terminating zero on the way out; with Name nullptr only the size is
// given; a buffer too small gives D3DRMERR_BADVALUE.
class IDirect3DRMObject : public IUnknown {
 public:
  virtual HRESULT SetAppData(DWORD Data) = 0;
  virtual DWORD GetAppData() = 0;
  virtual HRESULT SetName(const char* Name) = 0;
  virtual HRESULT GetName(DWORD* Size, char* Name) = 0;
  virtual HRESULT GetClassName(DWORD* Size, char* Name) = 0;

 protected:
  ~IDirect3DRMObject() = default;
};

// Anything a frame can carry as something to draw: meshes, mesh builders, textures, frames.
class IDirect3DRMVisual : public IDirect3DRMObject {
 protected:
  ~IDirect3DRMVisual() = default;
};

// The lists GetChildren, GetVisuals and GetLights hand out: a snapshot, each element with an
// added reference from GetElement.
class IDirect3DRMFrameArray : public IUnknown {
 public:
  virtual DWORD GetSize() = 0;
  virtual HRESULT GetElement(DWORD Index, IDirect3DRMFrame** Element) = 0;

 protected:
  ~IDirect3DRMFrameArray() = default;
};

class IDirect3DRMVisualArray : public IUnknown {
 public:
  virtual DWORD GetSize() = 0;
  virtual HRESULT GetElement(DWORD Index, IDirect3DRMVisual** Element) = 0;

 protected:
  ~IDirect3DRMVisualArray() = default;
};

class IDirect3DRMLightArray : public IUnknown {
 public:
  virtual DWORD GetSize() = 0;
  virtual HRESULT GetElement(DWORD Index, IDirect3DRMLight** Element) = 0;

 protected:
  ~IDirect3DRMLightArray() = default;
};

class IDirect3DRMLight : public IDirect3DRMObject {
 public:
  virtual HRESULT SetType(D3DRMLIGHTTYPE Type) = 0;
  virtual HRESULT SetColor(D3DCOLOR Color) = 0;
  // Channels in [0, 1]; values outside are kept (overbright or negative lights exist).
  virtual HRESULT SetColorRGB(D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) = 0;
  // The colour as D3DCOLOR, channels clamped to [0, 1], alpha 255.
  virtual D3DCOLOR GetColor() = 0;
  virtual D3DRMLIGHTTYPE GetType() = 0;

 protected:
  ~IDirect3DRMLight() = default;
};

// A frame: a node of the scene tree with a transformation relative to its parent. Methods
// that take a reference frame (Ref) read or write values in Ref's coordinates; Ref nullptr
// means world coordinates (those of the scene root's parent space).
class IDirect3DRMFrame : public IDirect3DRMVisual {
 public:
  // Makes Child a child of this frame, taking it from its previous parent if it had one. It
  // keeps its matrix relative to its parent, so its place in the world follows the new
  // parent. A frame cannot become a child of itself or of a frame below it
  // (D3DRMERR_BADVALUE).
  virtual HRESULT AddChild(IDirect3DRMFrame* Child) = 0;
  virtual HRESULT AddLight(IDirect3DRMLight* Light) = 0;
  virtual HRESULT AddVisual(IDirect3DRMVisual* Visual) = 0;
  virtual HRESULT AddTransform(D3DRMCOMBINETYPE Type, D3DRMMATRIX4D Matrix) = 0;
  virtual HRESULT DeleteChild(IDirect3DRMFrame* Child) = 0;
  virtual HRESULT DeleteLight(IDirect3DRMLight* Light) = 0;
  virtual HRESULT DeleteVisual(IDirect3DRMVisual* Visual) = 0;
  virtual HRESULT GetChildren(IDirect3DRMFrameArray** Children) = 0;
  virtual HRESULT GetLights(IDirect3DRMLightArray** Lights) = 0;
  virtual HRESULT GetVisuals(IDirect3DRMVisualArray** Visuals) = 0;
  // The parent with an added reference, or nullptr (and D3DRM_OK) for a scene root.
  virtual HRESULT GetParent(IDirect3DRMFrame** Parent) = 0;
  // The root of this frame's tree, with an added reference.
  virtual HRESULT GetScene(IDirect3DRMFrame** Scene) = 0;
  virtual HRESULT GetPosition(IDirect3DRMFrame* Ref, D3DVECTOR* Position) = 0;
  virtual HRESULT GetOrientation(IDirect3DRMFrame* Ref, D3DVECTOR* Direction, D3DVECTOR* Up) = 0;
  virtual HRESULT GetRotation(IDirect3DRMFrame* Ref, D3DVECTOR* Axis, D3DVALUE* Theta) = 0;
  // The frame's matrix relative to its parent (model to parent coordinates).
  virtual HRESULT GetTransform(D3DRMMATRIX4D Matrix) = 0;
  virtual HRESULT SetPosition(IDirect3DRMFrame* Ref, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) = 0;
  // Turns the frame so that its z axis points along Direction and its y axis along Up made
  // perpendicular to Direction; both in Ref's coordinates. Parallel vectors give
  // D3DRMERR_BADVALUE. The frame's position is kept.
  virtual HRESULT SetOrientation(IDirect3DRMFrame* Ref, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz,
                                 D3DVALUE Ux, D3DVALUE Uy, D3DVALUE Uz) = 0;
  // The turn Move applies: Theta radians per unit of delta about the axis (X, Y, Z) given in
  // Ref's coordinates and kept in the parent's coordinates, through the frame's origin. A
  // Theta of 0 stops the turning.
  virtual HRESULT SetRotation(IDirect3DRMFrame* Ref, D3DVALUE X, D3DVALUE Y, D3DVALUE Z,
                              D3DVALUE Theta) = 0;
  // One step of motion for this frame and all frames below it, parents first: each turns by
  // its rotation × Delta.
  virtual HRESULT Move(D3DVALUE Delta) = 0;
  // Model coordinates of this frame to world coordinates, and back.
  virtual HRESULT Transform(D3DVECTOR* Destination, D3DVECTOR* Source) = 0;
  virtual HRESULT InverseTransform(D3DVECTOR* Destination, D3DVECTOR* Source) = 0;

 protected:
  ~IDirect3DRMFrame() = default;
};

// IDirect3DRMFrame2 adds materials, boxes, axes and picking, none of which the program
// calls; the program holds its frames through it, so it exists with IDirect3DRMFrame's
// methods.
class IDirect3DRMFrame2 : public IDirect3DRMFrame {
 protected:
  ~IDirect3DRMFrame2() = default;
};

class IDirect3DRMDevice : public IDirect3DRMObject {
 public:
  // How many buffers the application flips between (at least 1).
  virtual HRESULT SetBufferCount(DWORD Count) = 0;
  virtual DWORD GetBufferCount() = 0;
  // Ends a frame of drawing on the device (see RMDevice.h for what it does here).
  virtual HRESULT Update() = 0;

 protected:
  ~IDirect3DRMDevice() = default;
};

class IDirect3DRMDevice2 : public IDirect3DRMDevice {
 public:
  // The immediate-mode device this device draws through, with an added reference.
  virtual HRESULT GetDirect3DDevice2(IDirect3DDevice2** Device) = 0;

 protected:
  ~IDirect3DRMDevice2() = default;
};

class IDirect3DRMViewport : public IDirect3DRMObject {
 public:
  // Clears the viewport's rectangle: target and z-buffer, through the immediate viewport.
  virtual HRESULT Clear() = 0;
  // Draws the scene that Frame is the root of, seen from the camera.
  virtual HRESULT Render(IDirect3DRMFrame* Frame) = 0;
  virtual HRESULT SetFront(D3DVALUE Front) = 0;
  virtual HRESULT SetBack(D3DVALUE Back) = 0;
  virtual HRESULT SetField(D3DVALUE Field) = 0;
  virtual HRESULT SetCamera(IDirect3DRMFrame* Camera) = 0;
  virtual HRESULT SetProjection(D3DRMPROJECTIONTYPE Type) = 0;
  virtual HRESULT GetCamera(IDirect3DRMFrame** Camera) = 0;
  virtual HRESULT GetDevice(IDirect3DRMDevice** Device) = 0;
  virtual LONG GetX() = 0;
  virtual LONG GetY() = 0;
  virtual DWORD GetWidth() = 0;
  virtual DWORD GetHeight() = 0;
  virtual D3DVALUE GetField() = 0;
  virtual D3DVALUE GetBack() = 0;
  virtual D3DVALUE GetFront() = 0;
  virtual D3DRMPROJECTIONTYPE GetProjection() = 0;
  // The immediate-mode viewport behind this one, with an added reference.
  virtual HRESULT GetDirect3DViewport(IDirect3DViewport** Viewport) = 0;

 protected:
  ~IDirect3DRMViewport() = default;
};

class IDirect3DRMTexture : public IDirect3DRMVisual {
 public:
  // The texture's pixels; valid while the texture lives.
  virtual D3DRMIMAGE* GetImage() = 0;

 protected:
  ~IDirect3DRMTexture() = default;
};

// IDirect3DRMTexture2 adds image and resource loading and mip-maps, which the program does
// not call; IDirect3DRM2::LoadTexture hands textures out through it.
class IDirect3DRMTexture2 : public IDirect3DRMTexture {
 protected:
  ~IDirect3DRMTexture2() = default;
};

// A mesh: groups of faces, each group with its own vertices, colour, texture and mapping.
// Group ids are 0, 1, … in the order the groups were added.
class IDirect3DRMMesh : public IDirect3DRMVisual {
 public:
  virtual HRESULT Scale(D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) = 0;
  virtual HRESULT Translate(D3DVALUE Tx, D3DVALUE Ty, D3DVALUE Tz) = 0;
  // Adds a group of VertexCount vertices (all zero until SetVertices) and FaceCount faces.
  // With VerticesPerFace n > 0, FaceData holds n vertex indices per face; with 0, each face
  // is its vertex count followed by its indices.
  virtual HRESULT AddGroup(unsigned VertexCount, unsigned FaceCount, unsigned VerticesPerFace,
                           unsigned* FaceData, D3DRMGROUPINDEX* Id) = 0;
  virtual HRESULT SetVertices(D3DRMGROUPINDEX Id, unsigned Index, unsigned Count,
                              D3DRMVERTEX* Values) = 0;
  virtual HRESULT SetGroupColor(D3DRMGROUPINDEX Id, D3DCOLOR Color) = 0;
  virtual HRESULT SetGroupColorRGB(D3DRMGROUPINDEX Id, D3DVALUE Red, D3DVALUE Green,
                                   D3DVALUE Blue) = 0;
  virtual HRESULT SetGroupMapping(D3DRMGROUPINDEX Id, D3DRMMAPPING Value) = 0;
  virtual HRESULT SetGroupTexture(D3DRMGROUPINDEX Id, IDirect3DRMTexture* Texture) = 0;
  virtual unsigned GetGroupCount() = 0;
  // Any of the outputs may be nullptr. FaceData, when given, receives the faces in the
  // vertex-count-then-indices form (VerticesPerFace is always 0 here); *FaceDataSize is its
  // capacity in entries on the way in and the entries needed on the way out.
  virtual HRESULT GetGroup(D3DRMGROUPINDEX Id, unsigned* VertexCount, unsigned* FaceCount,
                           unsigned* VerticesPerFace, DWORD* FaceDataSize, unsigned* FaceData) = 0;
  virtual HRESULT GetVertices(D3DRMGROUPINDEX Id, DWORD Index, DWORD Count,
                              D3DRMVERTEX* Values) = 0;
  // The group's colour; 0 for a group that does not exist.
  virtual D3DCOLOR GetGroupColor(D3DRMGROUPINDEX Id) = 0;
  virtual D3DRMMAPPING GetGroupMapping(D3DRMGROUPINDEX Id) = 0;
  // The group's texture with an added reference, or nullptr when it has none.
  virtual HRESULT GetGroupTexture(D3DRMGROUPINDEX Id, IDirect3DRMTexture** Texture) = 0;

 protected:
  ~IDirect3DRMMesh() = default;
};

// A mesh builder: vertices, normals and polygonal faces that refer to them, a texture
// coordinate pair per vertex, and a colour and texture per face.
class IDirect3DRMMeshBuilder : public IDirect3DRMVisual {
 public:
  // Reads a mesh from a text DirectX file (FileName, a const char*). ObjectId picks the mesh:
  // with D3DRMLOAD_BYNAME its name (const char*), with D3DRMLOAD_BYPOSITION a DWORD* giving
  // its position among the file's meshes, otherwise the first mesh. Textures the materials
  // name come from Callback, or, without one, are loaded from BMP files beside the mesh file.
  // On failure the builder is unchanged and LastError() says what went wrong, where.
  virtual HRESULT Load(LPVOID FileName, LPVOID ObjectId, D3DRMLOADOPTIONS Options,
                       D3DRMLOADTEXTURECALLBACK Callback, LPVOID Arg) = 0;
  virtual HRESULT Scale(D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) = 0;
  virtual HRESULT Translate(D3DVALUE Tx, D3DVALUE Ty, D3DVALUE Tz) = 0;
  // Colour of every face.
  virtual HRESULT SetColorRGB(D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) = 0;
  virtual HRESULT SetColor(D3DCOLOR Color) = 0;
  // Texture of every face (nullptr removes them).
  virtual HRESULT SetTexture(IDirect3DRMTexture* Texture) = 0;
  // Whether meshes created from now on correct textures for perspective.
  virtual HRESULT SetPerspective(BOOL Perspective) = 0;
  virtual BOOL GetPerspective() = 0;
  virtual HRESULT SetTextureCoordinates(DWORD Index, D3DVALUE U, D3DVALUE V) = 0;
  virtual HRESULT GetTextureCoordinates(DWORD Index, D3DVALUE* U, D3DVALUE* V) = 0;
  virtual HRESULT SetVertex(DWORD Index, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) = 0;
  virtual HRESULT SetNormal(DWORD Index, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) = 0;
  // Counts are capacities on the way in (when the array is given) and the numbers of
  // entries on the way out; any array may be nullptr. FaceData lists each face as its vertex
  // count n followed by n pairs (vertex index, normal index), and ends with a 0.
  virtual HRESULT GetVertices(DWORD* VertexCount, D3DVECTOR* Vertices, DWORD* NormalCount,
                              D3DVECTOR* Normals, DWORD* FaceDataSize, DWORD* FaceData) = 0;
  virtual int GetVertexCount() = 0;
  virtual int GetFaceCount() = 0;
  // A mesh holding a copy of the geometry: one group per face colour and texture.
  virtual HRESULT CreateMesh(IDirect3DRMMesh** Mesh) = 0;
  // Not in DirectX: the message of the last failed Load ("" after a successful one), naming
  // the file and, for a malformed file, the line.
  virtual const char* LastError() = 0;

 protected:
  ~IDirect3DRMMeshBuilder() = default;
};

// IDirect3DRMMeshBuilder2 adds normal generation flags and face access, which the program
// does not call; the program holds its mesh builders through it.
class IDirect3DRMMeshBuilder2 : public IDirect3DRMMeshBuilder {
 protected:
  ~IDirect3DRMMeshBuilder2() = default;
};

// A wrap: a rule that computes texture coordinates for the vertices of a mesh or mesh
// builder (see Wrap.h for the formulas).
class IDirect3DRMWrap : public IDirect3DRMObject {
 public:
  virtual HRESULT Init(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy,
                       D3DVALUE Oz, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux, D3DVALUE Uy,
                       D3DVALUE Uz, D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su, D3DVALUE Sv) = 0;
  // Object is a mesh or mesh builder whose vertices are taken as world coordinates.
  virtual HRESULT Apply(IDirect3DRMObject* Object) = 0;
  // As Apply, with the vertices taken in Frame's model coordinates.
  virtual HRESULT ApplyRelative(IDirect3DRMFrame* Frame, IDirect3DRMObject* Object) = 0;

 protected:
  ~IDirect3DRMWrap() = default;
};

// The retained-mode object, the factory of all others. IDirect3DRM and IDirect3DRM2 are two
// interfaces of one object; methods with the same arguments in both are one method.
// (IDirect3DRM::CreateDeviceFromD3D takes the version-1 immediate-mode interfaces, which this
// layer does not have; devices are made through IDirect3DRM2.)
class IDirect3DRM : public IUnknown {
 public:
  // A frame under Parent, or a scene root when Parent is nullptr.
  virtual HRESULT CreateFrame(IDirect3DRMFrame* Parent, IDirect3DRMFrame** Frame) = 0;
  virtual HRESULT CreateMesh(IDirect3DRMMesh** Mesh) = 0;
  virtual HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder** MeshBuilder) = 0;
  virtual HRESULT CreateLight(D3DRMLIGHTTYPE Type, D3DCOLOR Color, IDirect3DRMLight** Light) = 0;
  virtual HRESULT CreateLightRGB(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue,
                                 IDirect3DRMLight** Light) = 0;
  // A viewport of Device's surface seen from Camera: Width × Height pixels at (X, Y).
  virtual HRESULT CreateViewport(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X,
                                 DWORD Y, DWORD Width, DWORD Height,
                                 IDirect3DRMViewport** Viewport) = 0;
  virtual HRESULT CreateWrap(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy,
                             D3DVALUE Oz, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux,
                             D3DVALUE Uy, D3DVALUE Uz, D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su,
                             D3DVALUE Sv, IDirect3DRMWrap** Wrap) = 0;
  // A texture read from a BMP file.
  virtual HRESULT LoadTexture(const char* FileName, IDirect3DRMTexture** Texture) = 0;

 protected:
  ~IDirect3DRM() = default;
};

class IDirect3DRM2 : public IUnknown {
 public:
  virtual HRESULT CreateFrame(IDirect3DRMFrame* Parent, IDirect3DRMFrame2** Frame) = 0;
  virtual HRESULT CreateMesh(IDirect3DRMMesh** Mesh) = 0;
  virtual HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder2** MeshBuilder) = 0;
  virtual HRESULT CreateLight(D3DRMLIGHTTYPE Type, D3DCOLOR Color, IDirect3DRMLight** Light) = 0;
  virtual HRESULT CreateLightRGB(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue,
                                 IDirect3DRMLight** Light) = 0;
  // A retained-mode device drawing through Device; Direct3D is the object Device was made
  // by, from which viewports are made.
  virtual HRESULT CreateDeviceFromD3D(IDirect3D2* Direct3D, IDirect3DDevice2* Device,
                                      IDirect3DRMDevice2** RMDevice) = 0;
  virtual HRESULT CreateViewport(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X,
                                 DWORD Y, DWORD Width, DWORD Height,
                                 IDirect3DRMViewport** Viewport) = 0;
  virtual HRESULT CreateWrap(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy,
                             D3DVALUE Oz, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux,
                             D3DVALUE Uy, D3DVALUE Uz, D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su,
                             D3DVALUE Sv, IDirect3DRMWrap** Wrap) = 0;
  virtual HRESULT LoadTexture(const char* FileName, IDirect3DRMTexture2** Texture) = 0;
  // Not in DirectX: the message of the last failed LoadTexture through either interface (""
  // after a successful one), naming the file and what is wrong with it.
  virtual const char* LastError() = 0;

 protected:
  ~IDirect3DRM2() = default;
};
