// Placeholder so that the library has a source until its first unit lands; delete it then.
namespace pelmar {}
