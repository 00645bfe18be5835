#
# Generated - do not edit!
#
# NOCDDL
#
CND_BASEDIR=`pwd`
# default configuration
CND_ARTIFACT_DIR_default=dist/default/production
CND_ARTIFACT_NAME_default=pump.X.production.hex
CND_ARTIFACT_PATH_default=dist/default/production/pump.X.production.hex
CND_PACKAGE_DIR_default=${CND_DISTDIR}/default/package
CND_PACKAGE_NAME_default=lab10.x.tar
CND_PACKAGE_PATH_default=${CND_DISTDIR}/default/package/lab10.x.tar
# release configuration
CND_ARTIFACT_DIR_release=dist/release/production
CND_ARTIFACT_NAME_release=pump.X.production.hex
CND_ARTIFACT_PATH_release=dist/release/production/pump.X.production.hex
CND_PACKAGE_DIR_release=${CND_DISTDIR}/release/package
CND_PACKAGE_NAME_release=lab10.x.tar
CND_PACKAGE_PATH_release=${CND_DISTDIR}/release/package/lab10.x.tar
